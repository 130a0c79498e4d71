// The result of a fallible function that makes something: the value, or the Status that
// says why there is none. The maker's core returns one wherever it used to return an
// optional value beside a separate text for the cause, so that every failure carries its
// reason in the same way as the platform seam's.
#ifndef KLV_BASE_STATUS_OR_H_
#define KLV_BASE_STATUS_OR_H_

#include <cassert>
#include <optional>
#include <utility>

#include "base/status.h"

namespace klv {

template <typename T>
class StatusOr {
 public:
  // A value: ok() is true.
  StatusOr(T value) : value_(std::move(value)) {}  // NOLINT(google-explicit-constructor)
  // A failure. Requires !status.ok(): a result without a value must say why.
  StatusOr(Status status) : status_(std::move(status)) {  // NOLINT(google-explicit-constructor)
    assert(!status_.ok());
  }

  bool ok() const { return value_.has_value(); }
  // Success, or why there is no value.
  const Status& status() const { return status_; }

  // The value. Require ok().
  T& value() & {
    assert(ok());
    return *value_;
  }
  const T& value() const& {
    assert(ok());
    return *value_;
  }
  T&& value() && {
    assert(ok());
    return std::move(*value_);
  }
  T& operator*() & { return value(); }
  const T& operator*() const& { return value(); }
  T&& operator*() && { return std::move(*this).value(); }
  T* operator->() { return &value(); }
  const T* operator->() const { return &value(); }
  // The value, or `fallback` for a failure.
  T value_or(T fallback) const& { return ok() ? *value_ : std::move(fallback); }

 private:
  Status status_;
  std::optional<T> value_;
};

}  // namespace klv

#endif  // KLV_BASE_STATUS_OR_H_
