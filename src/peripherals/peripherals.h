#pragma once

#include <QString>
#include <QStringList>

namespace tallyport {

// The webcam: a snapshot written as a JPEG file. Without a camera it answers false and writes
// nothing; the event that asked for it goes on.
class Camera {
public:
    virtual ~Camera() = default;
    virtual bool GrabJpeg(const QString& path) = 0;
};

// The spoken greeting. speak() queues the texts and returns at once: texts are spoken in
// order, one after another, and never hold up reader polling or the windows.
class SpeechVoice {
public:
    virtual ~SpeechVoice() = default;
    virtual void speak(const QStringList& texts) = 0;
};

// The system beep on a card read.
class Beeper {
public:
    virtual ~Beeper() = default;
    virtual void beep() = 0;
};

// What a console has without any device: no camera, silence.
class NoCamera final : public Camera {
public:
    bool GrabJpeg(const QString&) override { return false; }
};
class NoSpeech final : public SpeechVoice {
public:
    void speak(const QStringList&) override {}
};
class NoBeep final : public Beeper {
public:
    void beep() override {}
};

// The devices a console uses; the program installs real ones, tests recording ones.
struct Peripherals {
    Camera* camera = nullptr;
    SpeechVoice* speech = nullptr;
    Beeper* beeper = nullptr;
};

}  // namespace tallyport
