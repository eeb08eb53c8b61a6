#pragma once

#include <QString>
#include <QStringList>

namespace tavro::qt {

// The file of picture `number`: "<number>.svg" or "<number>.png" in the program's resources
// (":/pictures") or, after them, in `folders`; empty when there is none.
QString FindPictureFile(int number, const QStringList& folders);

}  // namespace tavro::qt
