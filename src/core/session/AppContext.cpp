#include "session/AppContext.h"

#include "platform/Clock.h"

#include <utility>

AppContext::AppContext(QString programFolder)
    : AppContext(std::move(programFolder), Clock::system()) {}

AppContext::AppContext(QString programFolder, Clock& clock)
    : m_strExeDir(std::move(programFolder)), clock(&clock) {}
