#include "structs/memory.hpp"

#include <gtest/gtest.h>

namespace rp {
namespace {

TEST(ParseMemAvailable, ReadsTheFigureInBytes) {
    EXPECT_EQ(parseMemAvailable("MemTotal:       24000000 kB\nMemFree:  100 kB\nMemAvailable:   20000000 kB\n"),
              std::size_t{20000000} * 1024);
    EXPECT_EQ(parseMemAvailable("MemAvailable: 7 kB"), std::size_t{7} * 1024);
    EXPECT_EQ(parseMemAvailable("MemTotal: 5 kB\n"), std::nullopt);
    EXPECT_EQ(parseMemAvailable("MemAvailable: lots\n"), std::nullopt);
    EXPECT_EQ(parseMemAvailable("MemAvailable: 12 MB\n"), std::nullopt);
    EXPECT_EQ(parseMemAvailable(""), std::nullopt);
}

TEST(ReservationFits, OnlyLargeReservationsAreChecked) {
    const std::size_t gib = std::size_t{1} << 30;
    EXPECT_TRUE(reservationFits(gib - 1, std::size_t{0}));
    EXPECT_TRUE(reservationFits(gib, gib));
    EXPECT_FALSE(reservationFits(gib + 1, gib));
    EXPECT_FALSE(reservationFits(20 * gib, 4 * gib));
    EXPECT_TRUE(reservationFits(20 * gib, std::nullopt));
}

TEST(AvailableMemoryBytes, IsKnownOnThisSystem) {
    const auto available = availableMemoryBytes();
    ASSERT_TRUE(available.has_value());
    EXPECT_GT(*available, std::size_t{0});
}

}  // namespace
}  // namespace rp
