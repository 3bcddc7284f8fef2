// The program's icon, drawn rather than shipped: a lit LED digit on black.
#pragma once

#include <QIcon>

namespace vantor {

QIcon ProgramIcon();

} // namespace vantor
