#pragma once

class GlDevice;

// The GL side of a device object. The device keeps a list of its live resources; when the device
// is destroyed first, it detaches them: their GL names are deleted and later calls fail.
class GlResource {
 public:
  explicit GlResource(GlDevice* owner);
  virtual ~GlResource();

  GlResource(const GlResource&) = delete;
  GlResource& operator=(const GlResource&) = delete;

  // Frees the GL objects (the owner's context is current) and forgets the owner.
  void detach();
  // The device that made this object; null once detached.
  GlDevice* owner() const { return device; }

 protected:
  virtual void freeGl() = 0;
  // Frees the GL objects in the owner's context, if there still is an owner. Derived destructors
  // call it, because by the time the base destructor runs freeGl is out of reach.
  void freeInOwnerContext();

  GlDevice* device;  // null once detached
};
