// The thermal scene in front of the simulated camera: a background
// gradient with warm blobs drifting over it, the sensor's fixed-pattern
// noise, and the raw counts the sensor reports for a temperature.
#pragma once

#include <cstdint>

// Scene temperature in degrees Celsius at normalised position (u, v) in
// [0, 1) at time t seconds.
double sceneTemperature(double u, double v, double t);
// Temperature of the closed shutter used for a flat-field reference.
constexpr double kShutterCelsius = 28.0;
// Temperature of the camera housing at time t.
double housingTemperature(double t);

// Raw sensor counts for a temperature, and back.
double rawCounts(double celsius);
double celsiusOfCounts(double counts);

// Fixed-pattern offset of sensor pixel (x, y), in counts: column stripes
// plus a per-pixel part, the same for every frame of a camera.
int fixedPattern(int x, int y);

// A small xorshift generator for the temporal noise.
uint32_t nextRandom(uint32_t& state);
// Temporal noise in counts, roughly -4..4.
int temporalNoise(uint32_t& state);
