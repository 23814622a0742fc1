#include "varnholt/math/vector3.h"

#include <cmath>

namespace varnholt {

void Vector3::set(float new_x, float new_y, float new_z)
{
    x = new_x;
    y = new_y;
    z = new_z;
}

float Vector3::length() const
{
    // Double precision keeps squares of large or tiny components from
    // overflowing or vanishing in float.
    const double dx = x;
    const double dy = y;
    const double dz = z;
    return static_cast<float>(std::sqrt(dx * dx + dy * dy + dz * dz));
}

float Vector3::normalize()
{
    const float len = length();
    *this = *this / len;
    return len;
}

float Vector3::dot(const Vector3& b) const
{
    return x * b.x + y * b.y + z * b.z;
}

Vector3 Vector3::cross(const Vector3& b) const
{
    return Vector3(y * b.z - b.y * z, b.x * z - x * b.z, b.y * x - b.x * y);
}

Vector3 Vector3::operator+(const Vector3& b) const
{
    return Vector3(x + b.x, y + b.y, z + b.z);
}

Vector3 Vector3::operator-(const Vector3& b) const
{
    return Vector3(x - b.x, y - b.y, z - b.z);
}

Vector3 Vector3::operator*(const Vector3& b) const
{
    return Vector3(x * b.x, y * b.y, z * b.z);
}

Vector3 Vector3::operator/(const Vector3& b) const
{
    return Vector3(x / b.x, y / b.y, z / b.z);
}

Vector3 Vector3::operator*(const float& s) const
{
    return Vector3(x * s, y * s, z * s);
}

Vector3 Vector3::operator/(const float& s) const
{
    // One division instead of three; the result may differ from x / s in
    // the last bit.
    const float reciprocal = 1.0f / s;
    return *this * reciprocal;
}

}  // namespace varnholt
