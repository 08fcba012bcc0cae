#pragma once
// The fixture the variants' tests were written against: the same program on
// virtual time, with the unit of any variant on COM3.

#include "UpdateFixture.h"

namespace tvqx::testing {

using VariantFixture = UpdateFixture;

} // namespace tvqx::testing
