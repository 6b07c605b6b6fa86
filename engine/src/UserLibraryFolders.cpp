#include "engine/UserLibraryFolders.h"

#include <algorithm>
#include <array>

namespace vimbrel {

namespace {

// The folders of a Library that belong to the user, whatever an application's
// name test matches ("Mobile Documents" contains "Documents", "Keychains"
// contains "Key"). Nothing in them is ever listed, in any step, and they are
// never deleted. The folders the search itself walks (Preferences, Caches,
// Application Support ...) are protected as folders by the search's own
// table; their entries are the applications' and are judged one by one.
constexpr std::array<std::string_view, 33> kUserLibraryFolders = {
    "Accounts",                 // the accounts of every service the user signed in to
    "Assistants",               // system assistants' data
    "Autosave Information",     // unsaved documents
    "Biome",                    // on-device usage data
    "Calendars",                // calendar data
    "CallServices",             // call history
    "CloudStorage",             // cloud drive mounts and their files
    "Daemon Containers",        // the system daemons' sandboxes
    "Dictionaries",             // the user's own dictionaries
    "Favorites",                // the file browser's favourites
    "FontCollections",          // the user's font collections
    "Fonts",                    // installed fonts, shared by every application
    "HomeKit",                  // home automation data
    "IdentityServices",         // messaging identities
    "Keychains",                // passwords and keys
    "Keyboard Layouts",         // the user's keyboard layouts
    "Mail",                     // the user's mail
    "Messages",                 // the user's messages and attachments
    "Metadata",                 // the search index and the contacts' metadata
    "Mobile Documents",         // the user's cloud documents
    "Passes",                   // wallet passes
    "Photos",                   // photo libraries' data
    "Reminders",                // reminders
    "Safari",                   // the browser's bookmarks, history and extensions
    "Sharing",                  // sharing services' data
    "Shortcuts",                // the user's shortcuts
    "Sounds",                   // the user's alert sounds
    "Spelling",                 // the user's learned words
    "Suggestions",              // suggestions learned from the user's mail and messages
    "Trial",                    // system experiment data
    "Contacts",                 // address book data under some layouts
    "PersonalizationPortrait",  // on-device personalisation data
    "Translation",              // downloaded translation languages
};

bool equalIgnoringAsciiCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           auto lower = [](char c) {
             return c >= 'A' && c <= 'Z' ? static_cast<char>(c | 0x20) : c;
           };
           return lower(x) == lower(y);
         });
}

}  // namespace

bool isUserLibraryFolder(std::string_view name) {
  return std::any_of(kUserLibraryFolders.begin(), kUserLibraryFolders.end(),
                     [&](std::string_view folder) { return equalIgnoringAsciiCase(folder, name); });
}

}  // namespace vimbrel
