#pragma once
#include <QImage>
#include <QString>
#include <QtWidgets/QWidget>
