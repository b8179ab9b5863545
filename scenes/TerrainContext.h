#pragma once
#include "engine/Context.h"
#include "engine/Scene.h"

// Minimal scene so far: its Scene is empty, so a frame shows the clear colour and the overlay.
class TerrainContext : public Context {
 public:
  TerrainContext();

  void init() override;
  void update() override;
  void render() override;
  void release() override;

 private:
  Scene scene;
};
