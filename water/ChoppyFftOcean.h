#pragma once
#include <vector>

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
  // dx = −i·(kx/|k|)·h and dz = −i·(kz/|k|)·h, 0 where k = 0.
  void spectrumStored() override;
  void transform() override;

 private:
  // k/|k| of the write that last set each cell's spectrum (the Nyquist rows and columns of the
  // mirrored half see the negated wave vector); fixed for the life of the ocean.
  std::vector<float> unitX;
  std::vector<float> unitZ;
  Complex* dx = nullptr;
  Complex* dz = nullptr;
  float lambda;
};
