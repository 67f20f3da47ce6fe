#include "plugin/hostapi/String.h"

#include "plugin/hostapi/HostMemory.h"

#include <cstring>

String::String(const char* text) {
    if (text != nullptr) Assign(text, static_cast<int32_t>(std::strlen(text)));
}

String::String(const String& other) {
    Assign(other.GetCString(), other.length_);
}

String& String::operator=(const String& other) {
    if (this != &other) {
        String copy(other);
        Clear();
        data_ = copy.data_;
        length_ = copy.length_;
        valid_ = copy.valid_;
        copy.data_ = nullptr;
    }
    return *this;
}

String::~String() {
    Clear();
}

String String::FromInt(int64_t value) {
    // Digits from the end; the magnitude is taken as unsigned so that the lowest value works.
    char text[24];
    char* p = text + sizeof text;
    *--p = '\0';
    uint64_t magnitude =
        value < 0 ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    do {
        *--p = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (value < 0) *--p = '-';
    return String(p);
}

void String::Clear() {
    GeFreeBlock(data_);
    length_ = 0;
    valid_ = TRUE;
}

void String::Assign(const char* text, int32_t length) {
    Clear();
    if (length <= 0) return;
    data_ = static_cast<char*>(GeAlloc(static_cast<size_t>(length) + 1));
    if (data_ == nullptr) {
        valid_ = FALSE;
        return;
    }
    std::memcpy(data_, text, static_cast<size_t>(length));
    data_[length] = '\0';
    length_ = length;
}

String String::operator+(const String& tail) const {
    String joined;
    const int32_t total = length_ + tail.length_;
    if (total == 0) return joined;
    joined.data_ = static_cast<char*>(GeAlloc(static_cast<size_t>(total) + 1));
    if (joined.data_ == nullptr) {
        joined.valid_ = FALSE;
        return joined;
    }
    std::memcpy(joined.data_, GetCString(), static_cast<size_t>(length_));
    std::memcpy(joined.data_ + length_, tail.GetCString(), static_cast<size_t>(tail.length_));
    joined.data_[total] = '\0';
    joined.length_ = total;
    joined.valid_ = valid_ && tail.valid_;
    return joined;
}

bool String::operator==(const String& other) const {
    return length_ == other.length_ && std::strcmp(GetCString(), other.GetCString()) == 0;
}

Filename Filename::operator+(const String& component) const {
    if (!path_.Content()) return Filename(component);
    return Filename(path_ + String("/") + component);
}
