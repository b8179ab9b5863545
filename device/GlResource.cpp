#include "device/GlResource.h"

#include "device/GlDevice.h"

GlResource::GlResource(GlDevice* owner) : device(owner) {
  if (device) device->adoptResource(this);
}

GlResource::~GlResource() {
  // Derived destructors free their GL names; here only the registration goes.
  if (device) device->forgetResource(this);
}

void GlResource::detach() {
  if (!device) return;
  freeGl();
  device = nullptr;
}

void GlResource::freeInOwnerContext() {
  if (!device) return;
  device->makeCurrent();
  freeGl();
}
