#pragma once

// Marks the classes a host application may use; everything else in the
// framework is built with hidden visibility.
#define RAVELL_EXPORT __attribute__((visibility("default")))
