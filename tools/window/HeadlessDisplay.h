#pragma once

#include <string>
#include <sys/types.h>

// Gives GLUT an X display to open. When DISPLAY is already set it does
// nothing; otherwise it starts a private Xvfb (the server picks a free display
// number itself, so parallel runs never collide), points DISPLAY at it and
// asks Mesa for its software renderer unless the user chose a GL driver.
// The server is stopped by stop(), by the destructor, or at process exit,
// whichever comes first; it also dies with this process if we crash.
class HeadlessDisplay {
public:
    HeadlessDisplay() = default;
    ~HeadlessDisplay();
    HeadlessDisplay(const HeadlessDisplay&) = delete;
    HeadlessDisplay& operator=(const HeadlessDisplay&) = delete;

    // Returns false, with a one-line reason in error(), when no display
    // could be provided. Calling it again after success does nothing.
    bool start(double timeoutSeconds = 15.0);
    void stop();

    bool ownsServer() const { return serverPid_ > 0; }
    const std::string& displayName() const { return displayName_; }
    const std::string& error() const { return error_; }

private:
    bool fail(const std::string& message);

    pid_t serverPid_ = -1;
    std::string displayName_;
    std::string error_;
};
