// The RDS output towards external decoders.
#include "engine.h"

namespace vantor {

void Engine::SendToRDSLumex(const QString &) {}

} // namespace vantor
