// Errors of the graphics classes: a bitmap that an operation cannot work
// on, and a picture that cannot be described.
#pragma once

#include "engine/errors.h"

namespace nura {

// "ビットマップが不正です。" and similar: the operation is not possible on
// this bitmap (missing or empty).
class EInvalidGraphicOperation : public ERuntimeError {
 public:
  using ERuntimeError::ERuntimeError;
};

// A picture or handle that cannot be described or read.
class EInvalidGraphic : public ERuntimeError {
 public:
  using ERuntimeError::ERuntimeError;
};

}  // namespace nura
