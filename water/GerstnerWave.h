#pragma once

// One trochoidal wave: wave vector (Kx, Kz) = k·direction, wavenumber k = 2π/wavelength,
// amplitude A, angular frequency ω = sqrt(9.81·k) and phase offset φ.
struct GerstnerWave {
  float kx = 0.0f;
  float kz = 0.0f;
  float k = 0.0f;
  float amplitude = 0.0f;
  float omega = 0.0f;
  float phase = 0.0f;
};
