#include "engine/CertainEvidence.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vimbrel {
namespace {

ApplicationItem notes() {
  ApplicationItem item;
  item.url = "/Applications/Notes.app";
  item.label = "Notes";
  item.label_name = "Notes";
  item.bundle = "com.example.Notes";
  item.bundle_name = "Notes";
  item.bundle_name_info = "Notes Café";
  item.executable_info = "notesd";
  return item;
}

RemainderEntry listed(const std::string& folder, const std::string& below) {
  RemainderEntry entry = RemainderEntry::fileLocation(folder + "/" + below);
  MatchEvidence evidence;
  evidence.folder = folder;
  entry.setMatch(evidence);
  return entry;
}

TEST(CertainEvidence, OnlyTheIdentifierOrAnExactLabelMakesANameCertain) {
  const std::string prefs = "/h/Library/Preferences";
  const std::string support = "/h/Library/Application Support";
  struct Case {
    std::string folder, below;
    bool certain;
  };
  const std::vector<Case> cases = {
      {prefs, "com.example.Notes.plist", true},
      {prefs, "COM.EXAMPLE.NOTES", true},
      {prefs, "com.example.Notes-backup", true},
      {prefs, "com.example.Notes_1", true},
      {prefs, "com.example.NotesSync.plist", false},
      {prefs, "xcom.example.Notes.plist", false},
      {"/h/Library/Group Containers", "group.com.example.Notes", true},
      {"/h/Library/Group Containers", "ABCDE.com.example.Notes", false},
      {support, "Notes", true},
      {support, "notes/Sub/deep.db", true},
      {support, "Notes Café/x", true},
      {support, "NOTES CAFE", true},
      {support, "notesd", true},
      {support, "Notesnook", false},
      {support, "Meeting Notes", false},
      {support, "Other/Notes", false},
      {"/h/Desktop", "Notes from Paris", false},
  };
  const ApplicationItem item = notes();
  for (const Case& c : cases) {
    EXPECT_EQ(hasCertainName(item, listed(c.folder, c.below)), c.certain) << c.below;
  }
  // No evidence, a header, a generic label: never certain.
  EXPECT_FALSE(hasCertainName(item, RemainderEntry::fileLocation(support + "/Notes")));
  EXPECT_FALSE(hasCertainName(item, RemainderEntry::header(RemainderGroup::Logs)));
  ApplicationItem generic = item;
  generic.label = generic.bundle_name_info = generic.executable_info = "Helper";
  EXPECT_FALSE(hasCertainName(generic, listed(support, "Helper")));
  generic.bundle = std::nullopt;
  EXPECT_FALSE(hasCertainName(generic, listed(prefs, "com.example.Notes.plist")));
}

TEST(CertainEvidence, TheUsersOwnFoldersAreKnown) {
  const std::string home = "/Users/alice";
  for (const char* inside : {"Desktop", "Desktop/Notes", "Documents/a/b", "Downloads/x", "Movies/m",
                             "Music/m", "Pictures/p", "Public/p"}) {
    EXPECT_TRUE(isInUsersOwnFolder(home, home + "/" + inside)) << inside;
  }
  for (const char* outside : {"Library/Desktop", "Desktops", "Applications/Documents", ""}) {
    EXPECT_FALSE(isInUsersOwnFolder(home, home + "/" + std::string(outside))) << outside;
  }
  EXPECT_FALSE(isInUsersOwnFolder(home, "/Users/bob/Desktop/x"));
}

}  // namespace
}  // namespace vimbrel
