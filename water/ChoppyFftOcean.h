#pragma once
#include "water/FftOcean.h"

// FftOcean that also synthesises the horizontal displacement fields −i·(k/|k|)·h, scaled by the
// choppiness lambda (negative; 0 switches the displacement off), which sharpen the crests.
class ChoppyFftOcean : public FftOcean {
 public:
  ChoppyFftOcean(float lambda, int log2N, int log2M, float amplitude, float windX, float windZ,
                 float patchX, float patchZ);
  ~ChoppyFftOcean() override;

  const Complex* displacementX() const { return dx; }
  const Complex* displacementZ() const { return dz; }
  float getChoppiness() const { return lambda; }
  void setChoppiness(float value) { lambda = value; }

 protected:
  void store(std::uint32_t index, float kx, float kz, float kLength, float real, float imag) override;
  void transform() override;

 private:
  Complex* dx = nullptr;
  Complex* dz = nullptr;
  float lambda;
};
