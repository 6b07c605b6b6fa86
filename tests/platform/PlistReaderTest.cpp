#include <fcntl.h>
#include <gtest/gtest.h>
#include <plist/plist.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <random>
#include <string>
#include <vector>

#include "TempTree.h"
#include "platform/Bundle.h"
#include "platform/PlistReader.h"

namespace vimbrel {
namespace {

using Bytes = std::vector<std::uint8_t>;
using testing::TempTree;

// Writes binary property lists object by object, so that a test can make any
// structure libplist's own writer would never make: deep chains, shared and
// cyclic containers, lengths that point past the end.
class BinaryList {
 public:
  // Adds an object's bytes; returns its number.
  std::uint64_t add(Bytes bytes) {
    objects_.push_back(std::move(bytes));
    return objects_.size() - 1;
  }
  Bytes array(const std::vector<std::uint64_t>& references) const {
    Bytes bytes = marker(0xA, references.size());
    for (std::uint64_t reference : references) appendBig(bytes, reference, kRefSize);
    return bytes;
  }
  static Bytes ascii(const std::string& text) {
    Bytes bytes = marker(0x5, text.size());
    bytes.insert(bytes.end(), text.begin(), text.end());
    return bytes;
  }
  Bytes build(std::uint64_t root) const {
    Bytes out = {'b', 'p', 'l', 'i', 's', 't', '0', '0'};
    std::vector<std::uint64_t> offsets;
    for (const Bytes& object : objects_) {
      offsets.push_back(out.size());
      out.insert(out.end(), object.begin(), object.end());
    }
    const std::uint64_t table = out.size();
    for (std::uint64_t offset : offsets) appendBig(out, offset, 8);
    out.insert(out.end(), 6, 0);
    out.push_back(8);
    out.push_back(kRefSize);
    appendBig(out, objects_.size(), 8);
    appendBig(out, root, 8);
    appendBig(out, table, 8);
    return out;
  }
  static Bytes marker(std::uint8_t kind, std::uint64_t length) {
    Bytes bytes;
    if (length < 15) {
      bytes.push_back(static_cast<std::uint8_t>(kind << 4 | length));
    } else {
      bytes.push_back(static_cast<std::uint8_t>(kind << 4 | 0xF));
      bytes.push_back(0x13);
      appendBig(bytes, length, 8);
    }
    return bytes;
  }

 private:
  static constexpr std::uint8_t kRefSize = 4;
  static void appendBig(Bytes& out, std::uint64_t value, int width) {
    for (int i = width - 1; i >= 0; --i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
  }
  std::vector<Bytes> objects_;
};

bool parses(const Bytes& bytes) {
  void* node = plistreader::parse(bytes.data(), bytes.size());
  plist_free(node);
  return node != nullptr;
}

Bytes deepChain(std::uint64_t levels) {
  BinaryList list;
  for (std::uint64_t i = 0; i + 1 < levels; ++i) list.add(list.array({i + 1}));
  list.add(list.array({}));
  return list.build(0);
}

Bytes sharedPairs(std::uint64_t levels) {
  BinaryList list;
  for (std::uint64_t i = 0; i + 1 < levels; ++i) list.add(list.array({i + 1, i + 1}));
  list.add(BinaryList::ascii("leaf"));
  return list.build(0);
}

// The hostile lists of the review, and their relatives: each is refused
// before libplist builds anything, without crashing or hanging.
TEST(PlistReader, RefusesDeepSharedCyclicAndOverlongLists) {
  EXPECT_FALSE(parses(deepChain(100000)));
  EXPECT_FALSE(parses(sharedPairs(26)));
  EXPECT_FALSE(parses(sharedPairs(64)));
  BinaryList cyclic;
  cyclic.add(cyclic.array({1}));
  cyclic.add(cyclic.array({0, 0}));
  EXPECT_FALSE(parses(cyclic.build(0)));
  BinaryList overlong;
  Bytes huge = BinaryList::marker(0x5, std::uint64_t{1} << 62);
  overlong.add(overlong.array({1}));
  overlong.add(huge);
  EXPECT_FALSE(parses(overlong.build(0)));
  std::string xml = "<?xml version=\"1.0\"?><plist version=\"1.0\">";
  for (int i = 0; i < 100000; ++i) xml += "<array>";
  EXPECT_FALSE(parses(Bytes(xml.begin(), xml.end())));

  // Shallow chains and a shared leaf stay readable.
  EXPECT_TRUE(parses(deepChain(200)));
  BinaryList leaves;
  std::vector<std::uint64_t> many(5000, 1);
  leaves.add(leaves.array(many));
  leaves.add(BinaryList::ascii("same"));
  EXPECT_TRUE(parses(leaves.build(0)));
}

// A random tree of every kind of value, with repeated leaves (which the
// writer shares) and nested containers.
plist_t randomTree(std::mt19937& random, int depth) {
  const int kind = depth > 6 ? static_cast<int>(random() % 6) : static_cast<int>(random() % 8);
  switch (kind) {
    case 0:
      return plist_new_string(("s" + std::to_string(random() % 5)).c_str());
    case 1:
      return plist_new_uint(random() % 3 ? random() % 10 : random());
    case 2:
      return plist_new_bool(random() % 2);
    case 3:
      return plist_new_real(static_cast<double>(random() % 100) / 7);
    case 4: {
      const std::string data(random() % 40, 'd');
      return plist_new_data(data.data(), data.size());
    }
    case 5:
      return plist_new_date(static_cast<std::int32_t>(random() % 100000), 0);
    case 6: {
      plist_t array = plist_new_array();
      for (auto i = random() % 6; i > 0; --i)
        plist_array_append_item(array, randomTree(random, depth + 1));
      return array;
    }
    default: {
      plist_t dict = plist_new_dict();
      for (auto i = random() % 6; i > 0; --i) {
        plist_dict_set_item(dict, ("k" + std::to_string(random() % 8)).c_str(),
                            randomTree(random, depth + 1));
      }
      return dict;
    }
  }
}

Bytes serialized(plist_t node, bool binary) {
  char* bytes = nullptr;
  std::uint32_t length = 0;
  binary ? plist_to_bin(node, &bytes, &length) : plist_to_xml(node, &bytes, &length);
  Bytes out(bytes, bytes + length);
  binary ? plist_to_bin_free(bytes) : plist_to_xml_free(bytes);
  return out;
}

// Generated lists, then the same lists mutated (bytes flipped, set to
// extremes, cut short, trailer fields changed, lengths made huge), and the
// hostile shapes at random sizes: the reader either refuses an input or
// libplist parses it, and never crashes or runs away.
TEST(PlistReader, SurvivesMutatedAndGeneratedLists) {
  std::mt19937 random(2026);
  std::size_t inputs = 0, accepted = 0, generatedRefused = 0;
  const auto start = std::chrono::steady_clock::now();
  // VIMBREL_FUZZ_ROUNDS runs a longer session by hand.
  const char* roundsText = std::getenv("VIMBREL_FUZZ_ROUNDS");
  const int rounds = roundsText ? std::atoi(roundsText) : 4000;
  for (int round = 0; round < rounds; ++round) {
    plist_t tree = plist_new_dict();
    plist_dict_set_item(tree, "root", randomTree(random, 0));
    const bool binary = round % 4 != 0;
    const Bytes original = serialized(tree, binary);
    plist_free(tree);
    ++inputs;
    if (parses(original)) {
      ++accepted;
    } else {
      ++generatedRefused;
    }
    for (int mutation = 0; mutation < 12; ++mutation) {
      Bytes bytes = original;
      switch (random() % 6) {
        case 0:
          bytes[random() % bytes.size()] ^= static_cast<std::uint8_t>(1u << (random() % 8));
          break;
        case 1:
          bytes[random() % bytes.size()] = random() % 2 ? 0xFF : 0x0F;
          break;
        case 2:
          bytes.resize(random() % bytes.size());
          break;
        case 3:  // a trailer field (sizes, count, root, table offset)
          if (bytes.size() > 32)
            bytes[bytes.size() - 32 + 6 + random() % 26] = static_cast<std::uint8_t>(random());
          break;
        case 4: {  // an extended length made huge
          for (std::size_t i = 8; i + 9 < bytes.size(); ++i) {
            if ((bytes[i] & 0x0F) == 0x0F && bytes[i + 1] == 0x10 && random() % 2) {
              bytes[i + 1] = 0x13;
              bytes.insert(bytes.begin() + static_cast<std::ptrdiff_t>(i) + 2, 7, 0x7F);
              break;
            }
          }
          break;
        }
        default:
          for (int k = 0; k < 8; ++k)
            bytes[random() % bytes.size()] = static_cast<std::uint8_t>(random());
      }
      ++inputs;
      accepted += parses(bytes);
    }
    if (round % 50 == 0) {
      inputs += 3;
      parses(deepChain(600 + random() % 5000));
      parses(sharedPairs(20 + random() % 40));
      accepted += parses(deepChain(2 + random() % 300));
    }
  }
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::cout << "plist reader: " << inputs << " inputs, " << accepted << " accepted, "
            << static_cast<long>(static_cast<double>(inputs) / seconds) << " inputs/second\n";
  ::testing::Test::RecordProperty("inputs", static_cast<int>(inputs));
  EXPECT_EQ(generatedRefused, 0u) << "a list libplist wrote itself was refused";
}

Bytes xmlBytes(const std::string& text) { return Bytes(text.begin(), text.end()); }

std::string nested(const std::string& open, int levels) {
  std::string xml = "<?xml version=\"1.0\"?><plist version=\"1.0\">";
  xml.reserve(xml.size() + open.size() * static_cast<std::size_t>(levels));
  for (int i = 0; i < levels; ++i) xml += open;
  return xml;
}

// Nesting hidden in attributes, quoted values and markup that is not a tag
// is still counted; the same markup in a shallow list is read as usual.
TEST(PlistReader, CountsXmlNestingThroughQuotesCommentsAndInstructions) {
  const std::vector<std::string> hiding = {
      "<array \"/>\">",         "<array a=\"/>\">",         "<array a='/>'>",
      "<array a=\"'/>\">",      "<array a='\"/>'>",         "<array a='>' />x<array>",
      "<dict a=\"/\">",         "<array><!-- </array> -->", "<array><![CDATA[</array>]]>",
      "<array><?pi </array> ?>"};
  for (const std::string& open : hiding) {
    EXPECT_FALSE(parses(xmlBytes(nested(open, 200000)))) << open;
    EXPECT_FALSE(parses(xmlBytes(nested(open, 600)))) << open;
  }
  // Unterminated markup is refused, whatever follows.
  for (const char* cut : {"<plist><array a=\"/>", "<plist><!-- ", "<plist><![CDATA[x",
                          "<plist><?pi", "<plist><!DOCTYPE plist [ <!-- ]>"}) {
    EXPECT_FALSE(parses(xmlBytes(cut))) << cut;
  }
  // A list with a document type, comments, CDATA and quoted attributes that
  // hold ">" and "/" reads.
  const std::string fine =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<!DOCTYPE plist PUBLIC \"-//X//DTD PLIST 1.0//EN\" \"http://x/y.dtd\" [ <!-- ] > --> ]>\n"
      "<plist version=\"1.0\"><!-- <array> --><dict>"
      "<key>a</key><string><![CDATA[<array>]]></string>"
      "<key>b</key><array><integer>1</integer><true/></array></dict></plist>";
  EXPECT_TRUE(parses(xmlBytes(fine)));
}

// Generated XML shapes: random sequences of start, end and empty tags with
// quoted attributes, comments, CDATA, processing instructions and text, at
// random depths up to far past the limit. Each is refused or parsed; none
// crashes libplist.
TEST(PlistReader, SurvivesGeneratedXmlShapes) {
  std::mt19937 random(18);
  const std::vector<std::string> names = {"array", "dict", "plist", "string", "key", "x"};
  const std::vector<std::string> values = {"\"/>\"", "'>'", "\"a'b\"", "'\"/'", "\"\"", "'<'"};
  auto piece = [&](std::string& out) {
    const std::string& name = names[random() % names.size()];
    switch (random() % 9) {
      case 0:
      case 1:
      case 2:
        out += "<" + name + (random() % 2 ? " a=" + values[random() % values.size()] : "") + ">";
        break;
      case 3:
        out += "<" + name + " " + values[random() % values.size()] + ">";
        break;
      case 4:
        out += "</" + name + ">";
        break;
      case 5:
        out += "<" + name + "/>";
        break;
      case 6:
        out += random() % 2 ? "<!-- <" + name + "> -->" : "<![CDATA[</" + name + ">]]>";
        break;
      case 7:
        out += "<?pi <" + name + "> ?>";
        break;
      default:
        out += random() % 2 ? "1" : "a > b";
    }
  };
  int refused = 0;
  for (int round = 0; round < 60; ++round) {
    std::string xml = "<?xml version=\"1.0\"?><plist version=\"1.0\"><array>";
    const int length = round % 10 == 0 ? 300000 : static_cast<int>(random() % 3000);
    for (int i = 0; i < length; ++i) piece(xml);
    if (random() % 2) xml += "</array></plist>";
    refused += !parses(xmlBytes(xml));
  }
  EXPECT_GT(refused, 0);
}

// Nothing but a regular file is read: a FIFO neither blocks nor is read, a
// link is not followed, and only foreign files are capped.
TEST(PlistReader, ReadsRegularFilesOnlyAndNeverWaitsOnAFifo) {
  TempTree tree;
  const std::string fifo = tree.path("Tool.app/Contents/Info.plist");
  tree.folder("Tool.app/Contents");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
  EXPECT_EQ(plistreader::readRegularFile(fifo, std::nullopt).outcome,
            plistreader::FileOutcome::NotRegular);
  auto bundle = Bundle::open(tree.path("Tool.app"));  // would wait for a writer forever
  ASSERT_TRUE(bundle.has_value());
  EXPECT_FALSE(bundle->identifier().has_value());

  const std::string target = tree.file("real.plist", "<plist><dict/></plist>");
  const std::string link = tree.symlink("link.plist", target);
  EXPECT_EQ(plistreader::readRegularFile(link, std::nullopt).outcome,
            plistreader::FileOutcome::NotRegular);
  EXPECT_EQ(plistreader::readRegularFile(tree.path("none"), std::nullopt).outcome,
            plistreader::FileOutcome::Missing);
  EXPECT_EQ(plistreader::readRegularFile(target, 4).outcome, plistreader::FileOutcome::TooLarge);
  EXPECT_EQ(plistreader::readRegularFile(target, std::nullopt).bytes.size(), 22u);
}

}  // namespace
}  // namespace vimbrel
