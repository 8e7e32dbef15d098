#pragma once
// The text form of a visit position: "POINT(longitude latitude)" as written,
// and the reader that also accepts the hexadecimal extended well-known-binary
// point the back-end's geometry type returns.

#include <QString>

#include <optional>

namespace varnel {

// A position in degrees (WGS 84), latitude first.
struct Coordinate {
  double latitude = 0;
  double longitude = 0;
  friend bool operator==(const Coordinate &, const Coordinate &) = default;
};

// The shortest decimal text that reads back as the same double: a point as
// decimal separator, ".0" kept for whole numbers (-47.0) and exponent form
// for non-zero magnitudes below 0.0001 (5e-05).
QString formatShortest(double value);

// "POINT(" + longitude + " " + latitude + ")", longitude first.
QString pointText(double longitude, double latitude);
inline QString pointText(const Coordinate &c) { return pointText(c.longitude, c.latitude); }

// Reads a stored position: the hexadecimal EWKB/WKB point, or else the first
// two numbers of the text as longitude and latitude. Anything it cannot read,
// or a pair outside ±180 / ±90, is no position.
std::optional<Coordinate> parseLocation(const std::optional<QString> &text);

} // namespace varnel
