/*
 * A point or direction in three dimensions: a plain value type with no
 * owned resources, copied freely. Any float values are allowed, including
 * infinities and NaN; nothing is checked (normalising the zero vector or
 * dividing by a zero scalar gives NaN or infinite components).
 *
 * Two-operand operations leave both operands alone and return a new vector.
 */
#pragma once

namespace varnholt {

class Vector3 {
public:
    Vector3(float x, float y, float z) : x(x), y(y), z(z) {}
    Vector3(const Vector3& other) = default;
    Vector3& operator=(const Vector3& other) = default;

    void set(float new_x, float new_y, float new_z);

    // Summed and rooted in double precision, rounded to float once.
    float length() const;
    // Divides this vector by its length in place; returns that length.
    float normalize();

    float dot(const Vector3& b) const;
    Vector3 cross(const Vector3& b) const;

    // Component-wise.
    Vector3 operator+(const Vector3& b) const;
    Vector3 operator-(const Vector3& b) const;
    Vector3 operator*(const Vector3& b) const;
    Vector3 operator/(const Vector3& b) const;

    Vector3 operator*(const float& s) const;
    // Multiplies by the float reciprocal of `s`, computed once.
    Vector3 operator/(const float& s) const;

    float x;
    float y;
    float z;
};

}  // namespace varnholt
