// The collision rows' functions are what their names say, the floor calls
// f as many times as asked, and every kernel finds real collisions, the
// repeatable ones the same collision every time.
#include "collision/collision_kernels.h"

#include <gtest/gtest.h>

#ifdef CYCLE_TEST_HAVE_LIBCRYPTO
#include <openssl/sha.h>
#endif

#include <string>

namespace {

TEST(CollisionRows, FunctionsAreTheNamedOnes) {
    for (uint64_t x : {uint64_t{0}, uint64_t{1}, uint64_t{0xFFFFFFFFFFFFFFFF}, uint64_t{1} << 40}) {
        const uint64_t mixed = Mix{~uint64_t{0}}(x);
        for (unsigned bits : {1u, 20u, 48u, 64u}) {
            EXPECT_EQ(collisionImage(COLLISION_MIX, bits, x), mixed & lowMask(bits));
        }
#ifdef CYCLE_TEST_HAVE_LIBCRYPTO
        // The one-shot digest, a path of libcrypto's own beside the rows'
        // reused context.
        unsigned char in[8], out[SHA256_DIGEST_LENGTH];
        for (int i = 0; i < 8; i++) {
            in[i] = static_cast<unsigned char>(x >> (8 * i));
        }
        SHA256(in, sizeof in, out);
        uint64_t low = 0;
        for (int i = 7; i >= 0; i--) {
            low = low << 8 | out[i];
        }
        ASSERT_TRUE(collisionFunctionBuilt(COLLISION_SHA256));
        EXPECT_EQ(collisionImage(COLLISION_SHA256, 64, x), low);
        EXPECT_EQ(collisionImage(COLLISION_SHA256, 40, x), low & lowMask(40));
#endif
    }
}

TEST(CollisionRows, TheFloorCallsFAsOftenAsAsked) {
    for (CollisionFunctionKind kind : {COLLISION_MIX, COLLISION_SHA256}) {
        if (!collisionFunctionBuilt(kind)) {
            continue;
        }
        uint64_t x = 5;
        for (uint64_t calls = 0; calls < 40; calls++) {
            EXPECT_EQ(collisionFloor(kind, 32, 5, calls), x) << calls;
            x = collisionImage(kind, 32, x);
        }
    }
}

TEST(CollisionRows, EveryKernelFindsARealCollisionAndRepeatsIt) {
    for (CollisionFunctionKind kind : {COLLISION_MIX, COLLISION_SHA256}) {
        if (!collisionFunctionBuilt(kind)) {
            continue;
        }
        for (unsigned bits : {16u, 24u, 32u}) {
            for (size_t i = 0; i < COLLISION_KERNEL_COUNT; i++) {
                const CollisionKernel& kernel = COLLISION_KERNELS[i];
                for (uint64_t seed = 1; seed <= 3; seed++) {
                    SCOPED_TRACE(std::string(kernel.name) + " " + collisionFunctionName(kind) +
                                 " " + std::to_string(bits) + " seed " + std::to_string(seed));
                    const CollisionFound found = kernel.run(kind, bits, seed);
                    ASSERT_TRUE(found.found);
                    EXPECT_NE(found.a, found.b);
                    EXPECT_LE(found.a, lowMask(bits));
                    EXPECT_LE(found.b, lowMask(bits));
                    EXPECT_EQ(collisionImage(kind, bits, found.a), found.image);
                    EXPECT_EQ(collisionImage(kind, bits, found.b), found.image);
                    EXPECT_TRUE(isCollision(kind, bits, found));
                    EXPECT_GE(found.calls, 2u);
                    if (kernel.repeatable) {
                        const CollisionFound again = kernel.run(kind, bits, seed);
                        EXPECT_EQ(again.a, found.a);
                        EXPECT_EQ(again.b, found.b);
                        EXPECT_EQ(again.calls, found.calls);
                    }
                }
            }
        }
    }
}

TEST(CollisionRows, ACheckRefusesWhatIsNoCollision) {
    const CollisionFound found = COLLISION_KERNELS[COLLISION_TABLE].run(COLLISION_MIX, 24, 1);
    ASSERT_TRUE(isCollision(COLLISION_MIX, 24, found));
    CollisionFound same = found;
    same.b = same.a;
    EXPECT_FALSE(isCollision(COLLISION_MIX, 24, same));
    CollisionFound wide = found;
    wide.a |= uint64_t{1} << 30;
    EXPECT_FALSE(isCollision(COLLISION_MIX, 24, wide));
    CollisionFound off = found;
    off.image ^= 1;
    EXPECT_FALSE(isCollision(COLLISION_MIX, 24, off));
    CollisionFound none = found;
    none.found = false;
    EXPECT_FALSE(isCollision(COLLISION_MIX, 24, none));
}

// The table's mean calls over many seeds is the birthday bound's: the rows'
// calls_ratio divides by the right figure.
TEST(CollisionRows, TheTablesMeanCallsAreTheBirthdayBound) {
    const unsigned bits = 20;
    double sum = 0;
    const int seeds = 96;
    for (int seed = 1; seed <= seeds; seed++) {
        sum += static_cast<double>(
            COLLISION_KERNELS[COLLISION_TABLE].run(COLLISION_MIX, bits, seed).calls);
    }
    const double ratio = sum / seeds / birthdayCalls(bits);
    EXPECT_GT(ratio, 0.85);
    EXPECT_LT(ratio, 1.15);
}

} // namespace
