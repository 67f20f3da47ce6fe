// Images the plug-in hands to the host (icons).
#pragma once

#include "String.h"

/// A decoded image, a host handle.
class BaseBitmap {
public:
    BaseBitmap() = delete;
    ~BaseBitmap() = delete;
    int32_t GetBw() const;
    int32_t GetBh() const;
};

/// An image loaded from the plug-in's res folder and freed with this object.
class AutoBitmap {
public:
    explicit AutoBitmap(const String& name);
    ~AutoBitmap();
    AutoBitmap(const AutoBitmap&) = delete;
    AutoBitmap& operator=(const AutoBitmap&) = delete;
    /// The image, or null when it could not be read.
    operator BaseBitmap*() const { return bitmap_; }  // NOLINT

private:
    BaseBitmap* bitmap_ = nullptr;
};
