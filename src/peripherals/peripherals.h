#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <atomic>
#include <functional>

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

    // Who is told when the voice cannot speak (no voice data, a synthesis that fails): once,
    // on the thread of `context`, however often it fails afterwards.
    void setFailureReporter(QObject* context, std::function<void(const QString&)> report);

protected:
    // From any thread; only the first failure is told.
    void reportFailure(const QString& text);

private:
    QPointer<QObject> m_context;
    std::function<void(const QString&)> m_report;
    std::atomic<bool> m_told{false};
};

// A voice that cannot speak at all (its data is missing): it says why the first time it is
// asked to speak, and stays silent.
class UnavailableVoice final : public SpeechVoice {
public:
    explicit UnavailableVoice(QString reason) : m_reason(std::move(reason)) {}
    void speak(const QStringList&) override { reportFailure(m_reason); }

private:
    QString m_reason;
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
