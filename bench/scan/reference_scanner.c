// The yardstick of the scan benchmark: the remainder search's walk done at the
// floor of what the file system allows. Same folders, same listing kinds
// (shallow, deep without entering packages, deep), same name tests on a name
// folded once; entry types come from the listing, sizes are read only inside
// matches. Directories are read with getdents64 on open descriptors into
// fixed buffers, one per level of depth, and nothing is allocated per entry.
//
// It is a measuring stick, not product code: the folding handles ASCII and the
// Latin accents of the demo names, nothing more.
//
// Usage: bench_scan_reference --home DIR [--root DIR] [--applications DIR]
//          --url BUNDLE --label X [--label-name X] [--bundle X] [--bundle-name X]
//          [--bundle-name-info X] [--executable X] [--company X]
//          [--capitalized-company X] [--letters-only-label X]
//          [--login-item BUNDLE NAME]... [--print]
// An empty or missing value matches nothing. Prints "matches N" and
// "bytes N" (and, with --print, each location and its size).
#define _GNU_SOURCE
#include <dirent.h>
#include <fcntl.h>
#include <stdbool.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#define kBufferSize (32 * 1024)
#define kMaxDepth 96
#define kMaxName 1024
#define kMaxPath 4096
#define kMaxLoginItems 16

struct linux_dirent64 {
  uint64_t d_ino;
  int64_t d_off;
  unsigned short d_reclen;
  unsigned char d_type;
  char d_name[];
};

// ---------------------------------------------------------------------------
// Folding: ASCII lower case; Latin-1 letters lose their accents; combining
// marks U+0300..U+036F are dropped. Anything else is copied as it is.

static const char kLatin1Base[64] =
    "aaaaaaaceeeeiiii"   // U+00C0..U+00CF
    "dnooooo*ouuuuyts"   // U+00D0..U+00DF (× kept, Þ→t, ß→s handled below)
    "aaaaaaaceeeeiiii"   // U+00E0..U+00EF
    "dnooooo/ouuuuyty";  // U+00F0..U+00FF

// Folds `in` (length `n`) into `out`; returns the folded length. ASCII names,
// nearly all of them, take a straight lower-casing pass.
static size_t fold(const char* in, size_t n, char* out) {
  if (n + 2 >= kMaxName) n = kMaxName - 3;
  unsigned char high = 0;
  for (size_t i = 0; i < n; ++i) {
    unsigned char c = (unsigned char)in[i];
    high |= c;
    out[i] = (char)(c + ((unsigned char)(c - 'A') < 26u ? 32 : 0));
  }
  if (!(high & 0x80)) {
    out[n] = '\0';
    return n;
  }
  size_t w = 0;
  for (size_t i = 0; i < n && w + 2 < kMaxName;) {
    unsigned char c = (unsigned char)in[i];
    if (c < 0x80) {
      out[w++] = (char)(c >= 'A' && c <= 'Z' ? c + 32 : c);
      ++i;
    } else if (c == 0xC3 && i + 1 < n) {
      unsigned char d = (unsigned char)in[i + 1];
      unsigned cp = ((c & 0x1Fu) << 6) | (d & 0x3Fu);
      if (cp == 0xDF) {
        out[w++] = 's';
        out[w++] = 's';
      } else if (cp >= 0xC0) {
        out[w++] = kLatin1Base[cp - 0xC0];
      } else {
        out[w++] = (char)c;
        out[w++] = (char)d;
      }
      i += 2;
    } else if ((c == 0xCC || c == 0xCD) && i + 1 < n) {
      unsigned cp = ((c & 0x1Fu) << 6) | ((unsigned char)in[i + 1] & 0x3Fu);
      if (cp < 0x300 || cp > 0x36F) {
        out[w++] = (char)c;
        out[w++] = in[i + 1];
      }
      i += 2;
    } else {
      out[w++] = (char)c;
      ++i;
    }
  }
  out[w] = '\0';
  return w;
}

// ---------------------------------------------------------------------------
// The record's values, each raw (for the equality tests) and folded (for the
// containment tests).

enum Needle {
  kBundle,
  kBundleName,
  kBundleNameInfo,
  kLabelName,
  kLabel,
  kExecutable,
  kCompany,
  kCapitalizedCompany,
  kLettersOnlyLabel,
  kNeedleCount
};

struct Value {
  const char* raw;
  size_t rawLength;
  char folded[kMaxName];
  size_t foldedLength;
};

static struct Value needles[kNeedleCount];
static struct Value pro, plus;
static bool editionIsPro;

static void setValue(struct Value* v, const char* raw) {
  v->raw = raw ? raw : "";
  v->rawLength = strlen(v->raw);
  v->foldedLength = fold(v->raw, v->rawLength, v->folded);
}

// Containment in a short folded name: a plain scan beats memmem's set-up.
static bool in(const struct Value* v, const char* folded, size_t length) {
  size_t n = v->foldedLength;
  if (n == 0 || n > length) return false;
  const char first = v->folded[0];
  for (const char *at = folded, *last = folded + (length - n); at <= last; ++at) {
    if (*at == first && memcmp(at + 1, v->folded + 1, n - 1) == 0) return true;
  }
  return false;
}

// Of the containment tests of one step, only those that no other implies:
// a name that contains "com.example.tool" contains "tool", so with both in the
// test only "tool" needs looking for, and equal values are looked for once.
static unsigned essentialTests(unsigned mask) {
  unsigned kept = mask;
  for (unsigned a = mask; a; a &= a - 1) {
    int i = __builtin_ctz(a);
    for (unsigned b = kept & ~(1u << i); b; b &= b - 1) {
      const struct Value* implied = &needles[__builtin_ctz(b)];
      if (implied->foldedLength && in(implied, needles[i].folded, needles[i].foldedLength)) {
        kept &= ~(1u << i);  // needle i contains needle b: looking for b suffices
        break;
      }
    }
  }
  return kept;
}

static bool equals(const struct Value* v, const char* name, size_t length) {
  return v->rawLength > 0 && v->rawLength == length && memcmp(v->raw, name, length) == 0;
}

#define BIT(n) (1u << (n))

// ---------------------------------------------------------------------------
// The steps.

enum Listing { kShallow, kDeepSkippingPackages, kDeep };
enum Rule { kNoRule, kProRule, kApplicationSupportRule, kLogsRule, kDesktopRule };

struct Step {
  const char* folder;  // NULL: not searched
  enum Listing listing;
  unsigned contains;   // needles whose containment accepts the name
  unsigned equalsAny;  // needles whose exact equality accepts the name
  enum Rule rule;
};

// Paths of the search's own folders, the roots and their ancestors may never
// be taken, whatever matched.
static const char* protectedFolders[64];
static int protectedCount;

// The user's own folders of a Library (the home's and the disk's): nothing
// in them is ever taken. The same table as the program's.
static const char* libraries[2];
static int libraryCount;
static const char* const userLibraryFolders[] = {"Accounts",
                                                 "Assistants",
                                                 "Autosave Information",
                                                 "Biome",
                                                 "Calendars",
                                                 "CallServices",
                                                 "CloudStorage",
                                                 "Daemon Containers",
                                                 "Dictionaries",
                                                 "Favorites",
                                                 "FontCollections",
                                                 "Fonts",
                                                 "HomeKit",
                                                 "IdentityServices",
                                                 "Keychains",
                                                 "Keyboard Layouts",
                                                 "Mail",
                                                 "Messages",
                                                 "Metadata",
                                                 "Mobile Documents",
                                                 "Passes",
                                                 "Photos",
                                                 "Reminders",
                                                 "Safari",
                                                 "Sharing",
                                                 "Shortcuts",
                                                 "Sounds",
                                                 "Spelling",
                                                 "Suggestions",
                                                 "Trial",
                                                 "Contacts",
                                                 "PersonalizationPortrait",
                                                 "Translation"};

static bool inUserLibraryFolder(const char* path, size_t length) {
  for (int i = 0; i < libraryCount; ++i) {
    const size_t l = strlen(libraries[i]);
    if (length <= l + 1 || strncmp(path, libraries[i], l) != 0 || path[l] != '/') continue;
    const char* name = path + l + 1;
    const char* end = memchr(name, '/', length - l - 1);
    const size_t n = end ? (size_t)(end - name) : length - l - 1;
    for (size_t k = 0; k < sizeof userLibraryFolders / sizeof *userLibraryFolders; ++k) {
      if (strlen(userLibraryFolders[k]) == n && strncasecmp(userLibraryFolders[k], name, n) == 0) {
        return true;
      }
    }
  }
  return false;
}

static bool isProtected(const char* path, size_t length) {
  for (int i = 0; i < protectedCount; ++i) {
    const char* p = protectedFolders[i];
    if (strncmp(p, path, length) == 0 && (p[length] == '\0' || p[length] == '/')) return true;
  }
  return inUserLibraryFolder(path, length);
}

// ---------------------------------------------------------------------------
// Matches: paths in one growing arena, sizes filled by the size step.

struct Match {
  size_t offset;
  size_t length;
  uint64_t size;
};

static char* arena;
static size_t arenaUsed, arenaCapacity;
static struct Match* matches;
static size_t matchCount, matchCapacity;

static const char* matchPath(const struct Match* m) { return arena + m->offset; }

static void accept(const char* path, size_t length) {
  if (arenaUsed + length + 1 > arenaCapacity) {
    arenaCapacity = (arenaUsed + length + 1) * 2;
    arena = realloc(arena, arenaCapacity);
  }
  if (matchCount == matchCapacity) {
    matchCapacity = matchCapacity ? matchCapacity * 2 : 256;
    matches = realloc(matches, matchCapacity * sizeof *matches);
  }
  if (!arena || !matches) abort();
  memcpy(arena + arenaUsed, path, length);
  arena[arenaUsed + length] = '\0';
  matches[matchCount++] = (struct Match){arenaUsed, length, 0};
  arenaUsed += length + 1;
}

// ---------------------------------------------------------------------------
// Listing: one getdents64 buffer per level of depth.

static char buffers[kMaxDepth][kBufferSize];

static const char* const kPackageExtensions[] = {
    "app",   "appex",     "bundle",          "framework",   "plugin",
    "kext",  "xpc",       "prefPane",        "qlgenerator", "mdimporter",
    "saver", "component", "safariextension", "docset",      "rtfd",
    "pkg",   "mpkg",      "photoslibrary"};

// The extension as the product sees it: after the last dot, not at either end,
// without blanks.
static const char* extensionOf(const char* name, size_t length) {
  const char* dot = memrchr(name, '.', length);
  if (!dot || dot == name || dot + 1 == name + length) return NULL;
  if (memchr(dot + 1, ' ', (size_t)(name + length - dot - 1))) return NULL;
  return dot + 1;
}

static bool isPackage(const char* name, size_t length) {
  const char* ext = extensionOf(name, length);
  if (!ext) return false;
  for (size_t i = 0; i < sizeof kPackageExtensions / sizeof *kPackageExtensions; ++i) {
    if (strcasecmp(ext, kPackageExtensions[i]) == 0) return true;
  }
  return false;
}

static unsigned char typeOf(int dirFd, const struct linux_dirent64* e) {
  if (e->d_type != DT_UNKNOWN) return e->d_type;
  struct stat info;
  if (fstatat(dirFd, e->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0) return DT_UNKNOWN;
  return S_ISDIR(info.st_mode) ? DT_DIR : S_ISLNK(info.st_mode) ? DT_LNK : DT_REG;
}

static const int kFolderFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOFOLLOW;

// The visitor of one step: `path` holds the entry's full path (`length`),
// `nameAt` where its name starts; `marked` when a folder on the way down from
// the step's folder carries the step's excluded word.
typedef void (*Visitor)(const struct Step* step, const char* path, size_t length, size_t nameAt,
                        unsigned char type, bool marked);

// The word whose presence below the step's folder excludes an entry.
static const char* markerOf(const struct Step* step) {
  return step->rule == kApplicationSupportRule ? "CrashReporter"
         : step->rule == kLogsRule             ? "CSXS"
                                               : NULL;
}

static void walk(const struct Step* step, Visitor visit) {
  static char path[kMaxPath];
  struct Level {
    int fd;
    long filled, at;
    size_t pathLength;
    bool marked;
  } levels[kMaxDepth];
  const char* marker = markerOf(step);
  int fd = open(step->folder, kFolderFlags);
  if (fd < 0) return;
  size_t base = strlen(step->folder);
  memcpy(path, step->folder, base + 1);
  int depth = 0;
  levels[0] = (struct Level){fd, 0, 0, base, false};
  while (depth >= 0) {
    struct Level* level = &levels[depth];
    if (level->at >= level->filled) {
      level->filled = syscall(SYS_getdents64, level->fd, buffers[depth], kBufferSize);
      level->at = 0;
      if (level->filled <= 0) {
        close(level->fd);
        --depth;
        continue;
      }
    }
    const struct linux_dirent64* e = (const void*)(buffers[depth] + level->at);
    level->at += e->d_reclen;
    if (e->d_name[0] == '.') continue;  // hidden, ".", ".."
    size_t nameLength = strlen(e->d_name);
    size_t nameAt = level->pathLength + 1;
    if (nameAt + nameLength + 1 > kMaxPath) continue;
    path[level->pathLength] = '/';
    memcpy(path + nameAt, e->d_name, nameLength + 1);
    unsigned char type = typeOf(level->fd, e);
    visit(step, path, nameAt + nameLength, nameAt, type, level->marked);
    if (step->listing == kShallow || type != DT_DIR || depth + 1 >= kMaxDepth) continue;
    if (step->listing == kDeepSkippingPackages && isPackage(e->d_name, nameLength)) continue;
    int child = openat(level->fd, e->d_name, kFolderFlags);
    if (child < 0) continue;
    bool marked = level->marked || (marker && strstr(e->d_name, marker));
    levels[++depth] = (struct Level){child, 0, 0, nameAt + nameLength, marked};
  }
}

// ---------------------------------------------------------------------------
// Name tests and the rules after them.

static bool passes(const struct Step* step, const char* name, size_t nameLength, const char* folded,
                   size_t foldedLength) {
  for (unsigned m = step->contains; m; m &= m - 1) {
    if (in(&needles[__builtin_ctz(m)], folded, foldedLength)) return true;
  }
  for (unsigned m = step->equalsAny; m; m &= m - 1) {
    if (equals(&needles[__builtin_ctz(m)], name, nameLength)) return true;
  }
  return false;
}

// UTF-16 units of a UTF-8 text, for the label-number rule's positions.
static size_t utf16(const char* s, size_t n, uint16_t* out) {
  size_t w = 0;
  for (size_t i = 0; i < n && w + 2 < kMaxName;) {
    unsigned char b = (unsigned char)s[i];
    int len = b < 0x80 ? 1 : (b >> 5) == 6 ? 2 : (b >> 4) == 0xE ? 3 : (b >> 3) == 0x1E ? 4 : 0;
    if (len == 0 || i + (size_t)len > n) {
      out[w++] = 0xFFFD;
      ++i;
      continue;
    }
    uint32_t cp = len == 1 ? b : b & (0x7Fu >> len);
    for (int k = 1; k < len; ++k) cp = (cp << 6) | ((unsigned char)s[i + (size_t)k] & 0x3Fu);
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out[w++] = (uint16_t)(0xD800 + (cp >> 10));
      out[w++] = (uint16_t)(0xDC00 + (cp & 0x3FF));
    } else {
      out[w++] = (uint16_t)cp;
    }
    i += (size_t)len;
  }
  return w;
}

// "Tool 2" is not Tool's; "Tool Data" is. Positions outside a text count as
// "none", which equals only "none".
static bool labelNumberRuleAccepts(const char* name, size_t nameLength) {
  uint16_t label[kMaxName], text[kMaxName];
  long l = (long)utf16(needles[kLabel].raw, needles[kLabel].rawLength, label);
  long t = (long)utf16(name, nameLength, text);
  int a = l >= 2 ? label[l - 2] : -1;
  int b = t >= 2 ? text[t - 2] : -1;
  if (t > l) {
    if (l + 1 >= t) return a == b;
    uint16_t k = text[l + 1];
    return !(k >= '0' && k <= '9') || a == b;
  }
  return a == b;
}

static void visitStep(const struct Step* step, const char* path, size_t length, size_t nameAt,
                      unsigned char type, bool marked) {
  (void)type;
  const char* name = path + nameAt;
  size_t nameLength = length - nameAt;
  char folded[kMaxName];
  size_t foldedLength = fold(name, nameLength, folded);
  if (step->rule == kLogsRule && (marked || strstr(name, "CSXS"))) return;
  if (!passes(step, name, nameLength, folded, foldedLength)) return;
  if (isProtected(path, length)) return;
  switch (step->rule) {
    case kProRule:
      if (in(&pro, folded, foldedLength) && !editionIsPro) return;
      break;
    case kApplicationSupportRule:
      if (marked || strstr(name, "CrashReporter")) return;
      if (in(&needles[kLabel], folded, foldedLength) && !labelNumberRuleAccepts(name, nameLength))
        return;
      break;
    case kDesktopRule:
      if (extensionOf(name, nameLength)) return;
      break;
    default:
      break;
  }
  accept(path, length);
}

// The containers and scripts of one login item, under the pro/plus rule.
static struct Value loginBundle, loginName;
static bool loginPro, loginPlus;

static void visitLoginItem(const struct Step* step, const char* path, size_t length, size_t nameAt,
                           unsigned char type, bool marked) {
  (void)step, (void)type, (void)marked;
  char folded[kMaxName];
  size_t foldedLength = fold(path + nameAt, length - nameAt, folded);
  if (!in(&loginBundle, folded, foldedLength) && !in(&loginName, folded, foldedLength)) return;
  if (isProtected(path, length)) return;
  bool namePro = in(&pro, folded, foldedLength), namePlus = in(&plus, folded, foldedLength);
  if ((namePro || namePlus) && !((namePro && loginPro) || (namePlus && loginPlus))) return;
  accept(path, length);
}

// ---------------------------------------------------------------------------
// Sizes: one walk per outermost matched folder; a matched entry inside it
// takes the total of its own subtree from the same walk.

static int folderFirst(const void* x, const void* y) {
  const unsigned char* a = (const unsigned char*)matchPath(*(struct Match* const*)x);
  const unsigned char* b = (const unsigned char*)matchPath(*(struct Match* const*)y);
  for (;; ++a, ++b) {
    int ra = *a == '/' ? 0 : *a == 0 ? -1 : *a + 1;
    int rb = *b == '/' ? 0 : *b == 0 ? -1 : *b + 1;
    if (ra != rb) return ra - rb;
    if (!*a) return 0;
  }
}

static bool isWithin(const char* path, size_t length, const char* folder, size_t folderLength) {
  return length > folderLength && path[folderLength] == '/' &&
         memcmp(path, folder, folderLength) == 0;
}

// The matched entries strictly inside the folder being sized, sorted.
static struct Match** nested;
static size_t nestedCount;

static void noteNested(const char* path, size_t length, uint64_t size) {
  for (size_t i = 0; i < nestedCount; ++i) {
    if (nested[i]->length == length && memcmp(matchPath(nested[i]), path, length) == 0) {
      nested[i]->size = size;
    }
  }
}

static uint64_t treeSize(int fd, char* path, size_t length, int depth) {
  uint64_t total = 0;
  if (depth >= kMaxDepth) {
    close(fd);
    return 0;
  }
  for (;;) {
    long filled = syscall(SYS_getdents64, fd, buffers[depth], kBufferSize);
    if (filled <= 0) break;
    for (long at = 0; at < filled;) {
      const struct linux_dirent64* e = (const void*)(buffers[depth] + at);
      at += e->d_reclen;
      if (e->d_name[0] == '.') continue;
      uint64_t size = 0;
      size_t nameLength = strlen(e->d_name);
      size_t childLength = length + 1 + nameLength;
      if (childLength + 1 > kMaxPath) continue;
      // The path is needed only to recognise matched entries inside.
      if (nestedCount) {
        path[length] = '/';
        memcpy(path + length + 1, e->d_name, nameLength + 1);
      }
      if (typeOf(fd, e) == DT_DIR) {
        int child = openat(fd, e->d_name, kFolderFlags);
        if (child >= 0) size = treeSize(child, path, childLength, depth + 1);
      } else {
        struct stat info;
        if (fstatat(fd, e->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 && !S_ISDIR(info.st_mode)) {
          size = (uint64_t)info.st_size;
        }
      }
      if (nestedCount) noteNested(path, childLength, size);
      total += size;
    }
  }
  close(fd);
  return total;
}

static void sizeStep(void) {
  struct Match** order = malloc((matchCount ? matchCount : 1) * sizeof *order);
  if (!order) abort();
  for (size_t i = 0; i < matchCount; ++i) order[i] = &matches[i];
  qsort(order, matchCount, sizeof *order, folderFirst);
  static char path[kMaxPath];
  for (size_t i = 0; i < matchCount;) {
    struct Match* m = order[i];
    size_t same = i + 1;
    while (same < matchCount && folderFirst(&order[same], &order[i]) == 0) ++same;
    size_t inside = same;
    while (inside < matchCount &&
           isWithin(matchPath(order[inside]), order[inside]->length, matchPath(m), m->length)) {
      ++inside;
    }
    struct stat info;
    m->size = 0;
    if (lstat(matchPath(m), &info) == 0) {
      if (S_ISDIR(info.st_mode)) {
        int fd = open(matchPath(m), kFolderFlags);
        if (fd >= 0 && m->length < kMaxPath) {
          memcpy(path, matchPath(m), m->length + 1);
          nested = order + same;
          nestedCount = inside - same;
          m->size = treeSize(fd, path, m->length, 0);
        } else if (fd >= 0) {
          close(fd);
        }
      } else {
        m->size = (uint64_t)info.st_size;
      }
    }
    for (size_t k = i + 1; k < same; ++k) order[k]->size = m->size;
    i = inside;  // nested entries were sized by the walk
  }
  free(order);
}

// ---------------------------------------------------------------------------

static char* joined(const char* base, const char* component) {
  if (!base) return NULL;
  size_t n = strlen(base) + strlen(component) + 2;
  char* p = malloc(n);
  if (!p) abort();
  snprintf(p, n, "%s/%s", base, component);
  return p;
}

static void protect(const char* folder) {
  if (folder && protectedCount < 64) protectedFolders[protectedCount++] = folder;
}

static void usage(void) {
  fputs(
      "usage: bench_scan_reference --home DIR [--root DIR] [--applications DIR] --url BUNDLE\n"
      "         --label X [--label-name X] [--bundle X] [--bundle-name X]\n"
      "         [--bundle-name-info X] [--executable X] [--company X]\n"
      "         [--capitalized-company X] [--letters-only-label X]\n"
      "         [--login-item BUNDLE NAME]... [--print]\n",
      stderr);
  exit(2);
}

int main(int argc, char** argv) {
  const char *home = NULL, *root = NULL, *applications = NULL, *url = NULL;
  const char* values[kNeedleCount] = {0};
  const char* loginItems[kMaxLoginItems][2];
  int loginItemCount = 0;
  bool print = false;
  static const char* const kNeedleOptions[kNeedleCount] = {
      "--bundle",     "--bundle-name", "--bundle-name-info",    "--label-name",        "--label",
      "--executable", "--company",     "--capitalized-company", "--letters-only-label"};
  for (int i = 1; i < argc; ++i) {
    const char* option = argv[i];
    const char* value = i + 1 < argc ? argv[i + 1] : NULL;
    if (strcmp(option, "--print") == 0) {
      print = true;
      continue;
    }
    if (!value) usage();
    ++i;
    if (strcmp(option, "--home") == 0) {
      home = value;
    } else if (strcmp(option, "--root") == 0) {
      root = value;
    } else if (strcmp(option, "--applications") == 0) {
      applications = value;
    } else if (strcmp(option, "--url") == 0) {
      url = value;
    } else if (strcmp(option, "--login-item") == 0) {
      if (i + 1 >= argc || loginItemCount == kMaxLoginItems) usage();
      loginItems[loginItemCount][0] = value;
      loginItems[loginItemCount++][1] = argv[++i];
    } else {
      int k = 0;
      while (k < kNeedleCount && strcmp(option, kNeedleOptions[k]) != 0) ++k;
      if (k == kNeedleCount) usage();
      values[k] = value;
    }
  }
  if (!home || !url) usage();
  for (int k = 0; k < kNeedleCount; ++k) setValue(&needles[k], values[k]);
  setValue(&pro, "pro");
  setValue(&plus, "plus");
  {
    char folded[kMaxName];
    const char* bundleName = values[kBundleName] ? values[kBundleName] : "";
    size_t n = fold(bundleName, strlen(bundleName), folded);
    editionIsPro = in(&pro, folded, n);
  }

  // The folder table.
  char* library = joined(home, "Library");
  if (library) libraries[libraryCount++] = library;
  char* preferences = joined(library, "Preferences");
  char* applicationSupport = joined(library, "Application Support");
  char* applicationScripts = joined(library, "Application Scripts");
  char* containers = joined(library, "Containers");
  char* caches = joined(library, "Caches");
  char* cookies = joined(library, "Cookies");
  char* launchAgents = joined(library, "LaunchAgents");
  char* logs = joined(library, "Logs");
  char* csxs = joined(logs, "CSXS");
  char* crashReporter = joined(applicationSupport, "CrashReporter");
  char* savedState = joined(library, "Saved Application State");
  char* addressBook = joined(library, "Address Book Plug-Ins");
  char* helpd = joined(caches, "com.apple.helpd");
  char* groupContainers = joined(library, "Group Containers");
  char* services = joined(library, "Services");
  char* webKit = joined(library, "WebKit");
  char* desktop = joined(home, "Desktop");
  char* shared = joined(root, "Users/Shared");
  char* var = joined(root, "var");
  char* varDb = joined(var, "db");
  char* varFolders = joined(var, "folders");
  char* varRun = joined(var, "run");
  char* systemLibrary = joined(root, "Library");
  if (systemLibrary) libraries[libraryCount++] = systemLibrary;
  char* systemSupport = joined(systemLibrary, "Application Support");
  char* systemLogs = joined(systemLibrary, "Logs");
  char* systemAgents = joined(systemLibrary, "LaunchAgents");
  char* systemDaemons = joined(systemLibrary, "LaunchDaemons");
  char* privileged = joined(systemLibrary, "PrivilegedHelperTools");
  const char* everyFolder[] = {home,
                               applications,
                               root,
                               library,
                               preferences,
                               applicationSupport,
                               applicationScripts,
                               containers,
                               caches,
                               cookies,
                               launchAgents,
                               logs,
                               csxs,
                               crashReporter,
                               savedState,
                               addressBook,
                               helpd,
                               groupContainers,
                               services,
                               webKit,
                               desktop,
                               shared,
                               var,
                               varDb,
                               varFolders,
                               varRun,
                               systemLibrary,
                               systemSupport,
                               systemLogs,
                               systemAgents,
                               systemDaemons,
                               privileged};
  for (size_t i = 0; i < sizeof everyFolder / sizeof *everyFolder; ++i) protect(everyFolder[i]);

  const unsigned supportTest = BIT(kBundleNameInfo) | BIT(kBundle) | BIT(kLabelName) | BIT(kLabel);
  const unsigned bundleOrName = BIT(kBundle) | BIT(kBundleName);
  const unsigned logTest =
      BIT(kLabel) | BIT(kBundleNameInfo) | BIT(kExecutable) | BIT(kLabelName) | BIT(kBundle);
  const unsigned otherTest = BIT(kBundle) | BIT(kBundleNameInfo) | BIT(kLabel);
  struct Step before[] = {
      {preferences, kShallow, BIT(kBundle) | BIT(kBundleNameInfo), 0, kProRule},
  };
  struct Step middle[] = {
      {applicationSupport, kDeepSkippingPackages, supportTest, BIT(kBundleName),
       kApplicationSupportRule},
      {shared, kShallow, BIT(kBundleNameInfo) | BIT(kLabel) | BIT(kBundle), 0, kNoRule},
      {systemSupport, kShallow, BIT(kBundleNameInfo) | BIT(kLabel) | BIT(kBundle) | BIT(kCompany),
       0, kNoRule},
      {containers, kShallow, BIT(kBundle), 0, kProRule},
      {savedState, kShallow, BIT(kBundle), 0, kNoRule},
      {caches, kShallow, BIT(kBundle), BIT(kCapitalizedCompany) | BIT(kLabel), kNoRule},
      {cookies, kShallow, BIT(kBundle), 0, kNoRule},
      {applicationScripts, kShallow, BIT(kBundle), 0, kProRule},
      {helpd, kDeep, bundleOrName, 0, kNoRule},
      {groupContainers, kShallow, BIT(kBundleName) | BIT(kBundleNameInfo) | BIT(kLettersOnlyLabel),
       0, kNoRule},
      {library, kShallow, BIT(kBundleNameInfo), BIT(kCapitalizedCompany) | BIT(kBundleName),
       kNoRule},
  };
  struct Step after[] = {
      {launchAgents, kShallow, bundleOrName, 0, kNoRule},
      {systemAgents, kShallow, bundleOrName, 0, kNoRule},
      {systemDaemons, kShallow, bundleOrName, 0, kNoRule},
      {privileged, kShallow, BIT(kBundle), 0, kNoRule},
      {logs, kDeep, logTest, BIT(kBundleName), kLogsRule},
      {crashReporter, kShallow, BIT(kLabel) | BIT(kBundleNameInfo) | BIT(kExecutable), 0, kNoRule},
      {csxs, kShallow, BIT(kCompany) | BIT(kLabel), 0, kNoRule},
      {webKit, kShallow, BIT(kBundle), 0, kNoRule},
      {systemLogs, kDeep, logTest, BIT(kBundleName), kNoRule},
      {addressBook, kShallow, BIT(kBundleName) | BIT(kLabel), 0, kNoRule},
      {services, kShallow, BIT(kBundleName) | BIT(kLabel), 0, kNoRule},
      {desktop, kShallow, BIT(kLabel) | BIT(kBundleNameInfo), 0, kDesktopRule},
      {varFolders, kDeep, otherTest, 0, kProRule},
      {varRun, kShallow, otherTest, 0, kProRule},
      {varDb, kDeep, otherTest, 0, kProRule},
  };

  struct Step* tables[] = {before, middle, after};
  size_t sizes[] = {sizeof before / sizeof *before, sizeof middle / sizeof *middle,
                    sizeof after / sizeof *after};
  for (int t = 0; t < 3; ++t) {
    for (size_t i = 0; i < sizes[t]; ++i)
      tables[t][i].contains = essentialTests(tables[t][i].contains);
  }

  // 1. The bundle itself.
  accept(url, strlen(url));
  // 2. Preferences.
  for (size_t i = 0; i < sizeof before / sizeof *before; ++i) {
    if (before[i].folder) walk(&before[i], visitStep);
  }
  // 3. The enclosing folder, when its name ties it to the application.
  {
    const char* slash = strrchr(url, '/');
    size_t parentLength = slash ? (size_t)(slash - url) : 0;
    const char* parentName = parentLength ? memrchr(url, '/', parentLength) : NULL;
    if (parentName) {
      ++parentName;
      size_t nameLength = (size_t)(url + parentLength - parentName);
      bool isApplications = nameLength == 12 && memcmp(parentName, "Applications", 12) == 0;
      if (!isApplications && strstr(url, "Applications")) {
        char folded[kMaxName];
        size_t n = fold(parentName, nameLength, folded);
        if ((in(&needles[kLabel], folded, n) || in(&needles[kBundleNameInfo], folded, n)) &&
            !isProtected(url, parentLength)) {
          accept(url, parentLength);
        }
      }
    }
  }
  // 4 to 14.
  for (size_t i = 0; i < sizeof middle / sizeof *middle; ++i) {
    if (middle[i].folder) walk(&middle[i], visitStep);
  }
  // 15. The developer tools' data folder.
  if (values[kBundle] && strcmp(values[kBundle], "com.apple.dt.Xcode") == 0 && library) {
    char* developer = joined(library, "Developer");
    accept(developer, strlen(developer));
    free(developer);
  }
  // 16. Login items whose identifier does not extend the application's.
  for (int i = 0; i < loginItemCount; ++i) {
    const char* bundle = loginItems[i][0];
    if (*bundle && values[kBundle] && *values[kBundle] && strstr(bundle, values[kBundle])) continue;
    setValue(&loginBundle, bundle);
    setValue(&loginName, loginItems[i][1]);
    loginPro = in(&pro, loginName.folded, loginName.foldedLength);
    loginPlus = in(&plus, loginName.folded, loginName.foldedLength);
    const struct Step loginSteps[] = {{containers, kShallow, 0, 0, kNoRule},
                                      {applicationScripts, kShallow, 0, 0, kNoRule}};
    for (int k = 0; k < 2; ++k) {
      if (loginSteps[k].folder) walk(&loginSteps[k], visitLoginItem);
    }
  }
  // 17 to 31.
  for (size_t i = 0; i < sizeof after / sizeof *after; ++i) {
    if (after[i].folder) walk(&after[i], visitStep);
  }

  sizeStep();
  uint64_t total = 0;
  for (size_t i = 0; i < matchCount; ++i) {
    total += matches[i].size;
    if (print) printf("%s\t%llu\n", matchPath(&matches[i]), (unsigned long long)matches[i].size);
  }
  printf("matches %zu\nbytes %llu\n", matchCount, (unsigned long long)total);
  return 0;
}
