#pragma once
// Bounds-checked array of the SDK (used for function-publishing arguments)
// and the plain growable table.
#include <exception>
#include <string>
#include <vector>

#include "host/sdk/Types.h"

namespace MaxSDK {
namespace Util {
class OutOfRangeException : public std::exception {
 public:
  explicit OutOfRangeException(MSTR message) : message_(std::move(message)), narrow_(host::narrow(message_)) {}
  const MCHAR* GetMessage() const { return message_.c_str(); }
  const char* what() const noexcept override { return narrow_.c_str(); }

 private:
  MSTR message_;
  std::string narrow_;
};
}  // namespace Util

template <class T>
class Array {
 public:
  Array() = default;
  Array(std::initializer_list<T> items) : items_(items) {}
  std::size_t length() const { return items_.size(); }
  void append(const T& item) { items_.push_back(item); }
  T& operator[](std::size_t i) { check(i); return items_[i]; }
  const T& operator[](std::size_t i) const { check(i); return items_[i]; }

 private:
  void check(std::size_t i) const {
    if (i >= items_.size())
      throw Util::OutOfRangeException(_M("Argument index out of bounds, passed into a MaxSDK::Array::operator[]"));
  }
  std::vector<T> items_;
};
}  // namespace MaxSDK

template <class T>
class Tab {
 public:
  int Count() const { return static_cast<int>(items_.size()); }
  void SetCount(int n) { items_.resize(n < 0 ? 0 : static_cast<std::size_t>(n)); }
  int Append(int n, const T* el) { items_.insert(items_.end(), el, el + n); return Count() - n; }
  void Delete(int start, int n) { items_.erase(items_.begin() + start, items_.begin() + start + n); }
  void ZeroCount() { items_.clear(); }
  T& operator[](int i) { return items_[static_cast<std::size_t>(i)]; }
  const T& operator[](int i) const { return items_[static_cast<std::size_t>(i)]; }
  T* Addr(int i) { return items_.data() + i; }

 private:
  std::vector<T> items_;
};
