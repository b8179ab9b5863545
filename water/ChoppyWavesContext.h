#pragma once
#include "foundation/KeyAction.h"
#include "foundation/RepeatAction.h"
#include "water/ChoppyFftOcean.h"
#include "water/ComplexHeightSource.h"
#include "water/FftFloor.h"
#include "water/HeightFieldMeshBuilder.h"
#include "water/WaterContext.h"

// The FFT ocean: a 64 × 64 choppy spectrum ocean evaluated at the timer's time every frame and
// drawn as one environment-mapped grid. W and S scale the heights, D and A the choppiness.
class ChoppyWavesContext : public WaterContext {
 public:
  ChoppyWavesContext();

  void init() override;
  void update() override;
  std::vector<KeyHelp> keyHelp() const override;
  void release() override {}
  // The ocean's three inverse FFTs, bare.
  UpdateFloor* updateFloor() override { return &fftFloor; }

  const ChoppyFftOcean& fftOcean() const { return ocean; }
  Mesh* mesh() const { return oceanMesh.get(); }

 private:
  ChoppyFftOcean ocean;
  RefPtr<ComplexHeightSource> source;
  HeightFieldMeshBuilder builder;
  RefPtr<Mesh> oceanMesh;
  FftFloor fftFloor;
  KeyAction keyD;
  KeyAction keyA;
  RepeatAction repeatD;
  RepeatAction repeatA;
};
