#include "net/logic.h"

#include <QDataStream>

Logic::Logic() : inStream(new QDataStream(&socket)) { inStream->setVersion(7); }
Logic::~Logic() { delete inStream; }
bool Logic::connectToServer(const QString &, quint16) { return false; }
bool Logic::advance(double) { return true; }
double Logic::sweepAngle() const { return angle; }
int Logic::targetCount() const { return numTargets; }
Target *Logic::target(int index) { return &targets[index]; }
void Logic::readData() {}
void Logic::wrapAngle(double &) {}
