#pragma once

#include <QIcon>

#include "engine/ImageRef.h"
#include "platform/ui/IconProvider.h"

namespace vimbrel::ui {

// The pixels of a record's image reference.
inline QIcon iconFor(IconProvider& icons, const ImageRef& image) {
  switch (image.kind) {
    case ImageRef::Kind::ImageFile:
      return icons.imageFromFile(image.path);
    case ImageRef::Kind::IconOfPath:
      return icons.iconForFile(image.path);
    case ImageRef::Kind::None:
      break;
  }
  return {};
}

}  // namespace vimbrel::ui
