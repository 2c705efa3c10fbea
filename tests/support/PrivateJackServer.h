// A JACK server of a test's own, the default one of every client the test
// and its children open while it runs: a case may stop it under its
// clients, or crowd its graph, and no other test notices. Its name is the
// caller's prefix and the build directory's part of ZM_JACK_SERVER, so
// that the normal and sanitizer builds never share one, and JACK hands the
// registry slot a server killed hard leaves to the next run of the same
// case (there are eight slots in all). The target defines ZM_JACK_SERVER,
// ZM_JACK_SCRIPT and ZM_TEST_STATE_DIR.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <system_error>

class CPrivateJackServer {
public:
    explicit CPrivateJackServer(const std::string& prefix)
        : m_name(prefix + std::string(ZM_JACK_SERVER).substr(6))
    {
        if (const char* previous = std::getenv("JACK_DEFAULT_SERVER"))
            m_previous = previous;
        m_started = std::system(Script("start").c_str()) == 0;
        ::setenv("JACK_DEFAULT_SERVER", m_name.c_str(), 1);
    }
    //! The default server as it was, this one stopped, and what its
    //! clients killed hard (or left behind when it went) left in /dev/shm.
    ~CPrivateJackServer()
    {
        if (m_previous)
            ::setenv("JACK_DEFAULT_SERVER", m_previous->c_str(), 1);
        else
            ::unsetenv("JACK_DEFAULT_SERVER");
        Stop();
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator("/dev/shm", error))
            if (entry.path().filename().string().find("_" + m_name + "_") != std::string::npos)
                std::filesystem::remove(entry.path(), error);
    }
    CPrivateJackServer(const CPrivateJackServer&) = delete;
    CPrivateJackServer& operator=(const CPrivateJackServer&) = delete;

    bool Started() const { return m_started; }
    //! Stops it, clients or none; true once it is gone.
    bool Stop() { return std::system(Script("stop").c_str()) == 0; }

private:
    std::string Script(const char* command) const
    {
        return std::string(ZM_JACK_SCRIPT) + " " + command + " " + m_name + " " + ZM_TEST_STATE_DIR + " >/dev/null";
    }

    std::string m_name;
    std::optional<std::string> m_previous;
    bool m_started = false;
};
