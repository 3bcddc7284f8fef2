// The same mistake without the module folder in the include.
#include <QMainWindow>
