#pragma once
// A small JSON text builder for the headless state file. Texts must already be UTF-8.

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

namespace corvid {

class JsonWriter {
 public:
  JsonWriter& beginObject() { return open('{'); }
  JsonWriter& endObject() { return close('}'); }
  JsonWriter& beginArray() { return open('['); }
  JsonWriter& endArray() { return close(']'); }
  JsonWriter& key(std::string_view k) {
    comma();
    string(k);
    out_ += ':';
    afterKey_ = true;
    return *this;
  }
  JsonWriter& value(int64_t v) {
    comma();
    out_ += std::to_string(v);
    return *this;
  }
  JsonWriter& value(bool v) {
    comma();
    out_ += v ? "true" : "false";
    return *this;
  }
  JsonWriter& value(std::string_view v) {
    comma();
    string(v);
    return *this;
  }
  JsonWriter& value(const char* v) { return value(std::string_view(v)); }
  JsonWriter& null() {
    comma();
    out_ += "null";
    return *this;
  }
  const std::string& str() const { return out_; }

 private:
  JsonWriter& open(char c) {
    comma();
    out_ += c;
    first_ = true;
    return *this;
  }
  JsonWriter& close(char c) {
    out_ += c;
    first_ = false;
    return *this;
  }
  void comma() {
    if (afterKey_) {
      afterKey_ = false;
      return;
    }
    if (!first_) out_ += ',';
    first_ = false;
  }
  void string(std::string_view s) {
    out_ += '"';
    for (unsigned char c : s) {
      switch (c) {
        case '"': out_ += "\\\""; break;
        case '\\': out_ += "\\\\"; break;
        case '\n': out_ += "\\n"; break;
        case '\r': out_ += "\\r"; break;
        case '\t': out_ += "\\t"; break;
        default:
          if (c < 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", c);
            out_ += buf;
          } else {
            out_ += char(c);
          }
      }
    }
    out_ += '"';
  }

  std::string out_;
  bool first_ = true;
  bool afterKey_ = false;
};

}  // namespace corvid
