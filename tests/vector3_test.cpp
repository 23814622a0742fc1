#include <gtest/gtest.h>

#include <cmath>

#include "varnholt/math/vector3.h"

using namespace varnholt;

namespace {
void expect_components(const Vector3& v, float x, float y, float z)
{
    EXPECT_FLOAT_EQ(v.x, x);
    EXPECT_FLOAT_EQ(v.y, y);
    EXPECT_FLOAT_EQ(v.z, z);
}
}

TEST(Vector3, ComponentWiseArithmeticLeavesOperandsAlone)
{
    const Vector3 a(1, 2, 3);
    const Vector3 b(4, -5, 0.5f);
    expect_components(a + b, 5, -3, 3.5f);
    expect_components(a - b, -3, 7, 2.5f);
    expect_components(a * b, 4, -10, 1.5f);
    expect_components(a / b, 0.25f, -0.4f, 6);
    expect_components(a * 2.0f, 2, 4, 6);
    expect_components(a / 2.0f, 0.5f, 1, 1.5f);
    expect_components(a, 1, 2, 3);
    expect_components(b, 4, -5, 0.5f);
}

TEST(Vector3, ScalarDivisionMultipliesByTheFloatReciprocal)
{
    const Vector3 v = Vector3(5, 9, 3) / 3.0f;
    // 5 * (1/3 in float) rounds up to 1.66666675f; 5 / 3 would be 1.66666663f.
    EXPECT_EQ(v.x, 1.66666675f);
    EXPECT_NE(v.x, 5.0f / 3.0f);
}

TEST(Vector3, DotAndCrossProducts)
{
    const Vector3 ex(1, 0, 0);
    const Vector3 ey(0, 1, 0);
    expect_components(ex.cross(ey), 0, 0, 1);
    expect_components(ey.cross(ex), 0, 0, -1);
    EXPECT_FLOAT_EQ(ex.dot(ey), 0);

    const Vector3 a(1, 2, 3);
    const Vector3 b(4, 5, 6);
    EXPECT_FLOAT_EQ(a.dot(b), 32);
    expect_components(a.cross(b), -3, 6, -3);
}

TEST(Vector3, LengthAndNormalize)
{
    Vector3 v(3, 4, 0);
    EXPECT_FLOAT_EQ(v.length(), 5);
    EXPECT_FLOAT_EQ(v.normalize(), 5);
    expect_components(v, 0.6f, 0.8f, 0);
    EXPECT_FLOAT_EQ(v.length(), 1);
}

TEST(Vector3, LengthSquaresInDoublePrecision)
{
    // The squares overflow or vanish in float.
    EXPECT_FLOAT_EQ(Vector3(3e20f, 4e20f, 0).length(), 5e20f);
    EXPECT_FLOAT_EQ(Vector3(3e-30f, 4e-30f, 0).length(), 5e-30f);
}

TEST(Vector3, NormalizingTheZeroVectorGivesNaN)
{
    Vector3 v(0, 0, 0);
    EXPECT_EQ(v.normalize(), 0.0f);
    EXPECT_TRUE(std::isnan(v.x));
    EXPECT_TRUE(std::isnan(v.y));
    EXPECT_TRUE(std::isnan(v.z));
}

TEST(Vector3, DividingByAZeroScalarFollowsFloatRules)
{
    const Vector3 v = Vector3(1, -2, 0) / 0.0f;
    EXPECT_TRUE(std::isinf(v.x) && v.x > 0);
    EXPECT_TRUE(std::isinf(v.y) && v.y < 0);
    EXPECT_TRUE(std::isnan(v.z));
}
