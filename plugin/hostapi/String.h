// Text and file names as the plug-in holds them.
//
// A String owns a NUL-terminated UTF-8 buffer from the host allocator. When that memory
// cannot be had, the string stays empty and IsValid() turns false, so callers that must
// notice (the plug-in path) can; nothing throws.
#pragma once

#include "plugin/hostapi/MathTypes.h"

class String {
  public:
    String() = default;
    String(const char* text); // NOLINT: implicit, like the host's own strings
    String(const String& other);
    String& operator=(const String& other);
    ~String();

    /// False when the text could not be stored for want of memory.
    Bool IsValid() const { return valid_; }
    int32_t GetLength() const { return length_; }
    Bool Content() const { return length_ > 0; }
    /// The text; never null.
    const char* GetCString() const { return data_ != nullptr ? data_ : ""; }

    /// The decimal text of `value` ("-12", "0", "345").
    static String FromInt(int64_t value);

    String operator+(const String& tail) const;
    bool operator==(const String& other) const;
    bool operator!=(const String& other) const { return !(*this == other); }

  private:
    void Assign(const char* text, int32_t length);
    void Clear();

    char* data_ = nullptr;
    int32_t length_ = 0;
    Bool valid_ = TRUE;
};

/// A path in the file system; '+' joins a component with a '/'.
class Filename {
  public:
    Filename() = default;
    explicit Filename(const String& path) : path_(path) {}
    const String& GetString() const { return path_; }
    Bool IsValid() const { return path_.IsValid(); }
    Bool Content() const { return path_.Content(); }
    Filename operator+(const String& component) const;

  private:
    String path_;
};
