// The rate prompt's store link must open the component the installed
// AppStream metadata describes, or the software centre finds nothing.
#include <gtest/gtest.h>

#include <string>

#include "app/ui/Prompts.h"

namespace vimbrel {
namespace {

TEST(StoreLinkTest, OpensTheInstalledMetadataComponent) {
  EXPECT_EQ(std::string(links::kStorePage), std::string("appstream://") + VIMBREL_COMPONENT_ID);
}

}  // namespace
}  // namespace vimbrel
