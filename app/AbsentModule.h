// A banner line with no subsystem behind it (Bulwark never had one): it reports " [FAILED]" because nothing was
// started, and contributes nothing else.
#pragma once

#include "base/Module.h"

class CAbsentModule : public IModule {
public:
    explicit CAbsentModule(const char* bannerText) : m_pBannerText(bannerText) {}

    const char* BannerText() const override { return m_pBannerText; }
    int Start() override { return -1; }

private:
    const char* m_pBannerText;
};
