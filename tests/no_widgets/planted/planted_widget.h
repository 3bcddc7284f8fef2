// A file as a careless edit of engine code might leave it: the widget-free
// check must reject it.
#pragma once

#include <QString>
#include <QtWidgets/QWidget>
