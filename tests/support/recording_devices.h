#pragma once

#include "peripherals/peripherals.h"

#include <QStringList>

namespace tallyport::test {

// Devices that remember what they were asked to do, for tests of the live event handling.
class RecordingCamera final : public Camera {
public:
    bool GrabJpeg(const QString& path) override {
        grabs << path;
        return false;  // no picture is written
    }
    QStringList grabs;
};

class RecordingSpeech final : public SpeechVoice {
public:
    void speak(const QStringList& texts) override { spoken << texts; }
    QList<QStringList> spoken;
};

class RecordingBeeper final : public Beeper {
public:
    void beep() override { ++beeps; }
    int beeps = 0;
};

struct RecordingDevices {
    RecordingCamera camera;
    RecordingSpeech speech;
    RecordingBeeper beeper;
    Peripherals peripherals() { return {&camera, &speech, &beeper}; }
};

}  // namespace tallyport::test
