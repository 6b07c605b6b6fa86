#pragma once

#include <string>

namespace vimbrel {

// A lightweight reference to an image, resolved into pixels only by the user
// interface: either an image file to load, or the file browser's icon of a
// path. The engine never loads images itself.
struct ImageRef {
  enum class Kind { None, ImageFile, IconOfPath };
  Kind kind = Kind::None;
  std::string path;

  static ImageRef none() { return {}; }
  static ImageRef imageFile(std::string file) { return {Kind::ImageFile, std::move(file)}; }
  static ImageRef iconOfPath(std::string of) { return {Kind::IconOfPath, std::move(of)}; }
  bool empty() const { return kind == Kind::None; }
  bool operator==(const ImageRef&) const = default;
};

}  // namespace vimbrel
