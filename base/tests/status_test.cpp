// Tests of status values: an error keeps what it is about and the system's own reason,
// so that the message made from it at the edge can say why.
#include "base/status.h"
#include "base/status_or.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

namespace klv {
namespace {

TEST(Status, SuccessHasNoContextOrReason) {
  const Status ok;
  EXPECT_TRUE(ok.ok());
  EXPECT_FALSE(ok.IsNotFound());
  EXPECT_EQ(ok.ToString(), "OK");
  EXPECT_TRUE(ok.context().empty());
  EXPECT_TRUE(ok.reason().empty());
}

TEST(Status, APosixErrorCarriesErrnosText) {
  struct Case {
    int error_number;
    bool not_found;
  };
  const Case cases[] = {
      {ENOENT, true}, {EACCES, false}, {ENOSPC, false}, {EISDIR, false}, {EFBIG, false},
  };
  for (const Case& c : cases) {
    const Status status = PosixError("/w/base.bmp", c.error_number);
    SCOPED_TRACE(c.error_number);
    EXPECT_FALSE(status.ok());
    EXPECT_EQ(status.IsNotFound(), c.not_found);
    EXPECT_EQ(status.context(), "/w/base.bmp");
    EXPECT_EQ(status.reason(), std::strerror(c.error_number));
    EXPECT_EQ(status.ToString(), std::string("/w/base.bmp: ") + std::strerror(c.error_number));
  }
  EXPECT_EQ(PosixError("/w/base.bmp", ENOSPC).ToString(), "/w/base.bmp: No space left on device");
}

TEST(Status, ErrorsOfOurOwnReadLikeTheSystems) {
  EXPECT_EQ(Status::IOError("Cat.klv", "a chunk is still open").ToString(),
            "Cat.klv: a chunk is still open");
  EXPECT_EQ(Status::IOError("", "not enough memory").ToString(), "not enough memory")
      << "no context, no separator";
  EXPECT_TRUE(Status::NotFound("x", "gone").IsNotFound());
  EXPECT_FALSE(Status::IOError("x", "broken").IsNotFound());
}

TEST(Status, AResultHoldsItsValueOrWhyThereIsNone) {
  StatusOr<std::string> made = std::string("tile");
  ASSERT_TRUE(made.ok());
  EXPECT_TRUE(made.status().ok());
  EXPECT_EQ(*made, "tile");
  EXPECT_EQ(made->size(), 4u);
  EXPECT_EQ(made.value_or("other"), "tile");

  const StatusOr<std::string> refused = Status::Invalid("empty picture (0 x 10)");
  EXPECT_FALSE(refused.ok());
  EXPECT_FALSE(refused.status().IsNotFound());
  EXPECT_EQ(refused.status().ToString(), "empty picture (0 x 10)") << "no context";
  EXPECT_EQ(refused.value_or("other"), "other");
}

}  // namespace
}  // namespace klv
