// The choice of the address both sockets bind to.
#include <gtest/gtest.h>

#include "network/LocalAddress.h"

TEST(LocalAddress, ChoiceAmongResolverAndInterfaces) {
    struct Case {
        const char* what;
        std::vector<std::string> resolved, interfaces;
        std::string expected;
    };
    const Case cases[] = {
        {"the resolver's first answer", {"192.168.1.20", "10.0.0.3"}, {"10.0.0.3", "192.168.1.20"}, "192.168.1.20"},
        {"Debian's 127.0.1.1 for the host name", {"127.0.1.1"}, {"127.0.0.1", "10.77.0.2"}, "10.77.0.2"},
        {"loopback first in the answer", {"127.0.0.1", "10.0.0.9"}, {"10.0.0.8"}, "10.0.0.8"},
        {"the name resolves to nothing", {}, {"127.0.0.1", "172.16.4.4", "10.1.1.1"}, "172.16.4.4"},
        {"only loopback anywhere", {"127.0.1.1"}, {"127.0.0.1"}, "0.0.0.0"},
        {"nothing at all", {}, {}, "0.0.0.0"},
        {"an unset interface address is skipped", {}, {"0.0.0.0", "10.2.3.4"}, "10.2.3.4"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ChooseLocalAddress(c.resolved, c.interfaces), c.expected) << c.what;
}

TEST(LocalAddress, InterfacesAreAskedForOnlyWhenTheResolverDoesNotDo) {
    int asked = 0;
    const auto interfaces = [&asked] {
        ++asked;
        return std::vector<std::string>{"127.0.0.1", "10.77.0.9"};
    };
    EXPECT_EQ(ChooseLocalAddress({"10.77.0.2"}, interfaces), "10.77.0.2");
    EXPECT_EQ(asked, 0);
    EXPECT_EQ(ChooseLocalAddress({"127.0.1.1", "10.77.0.2"}, interfaces), "10.77.0.9");
    EXPECT_EQ(ChooseLocalAddress({}, interfaces), "10.77.0.9");
    EXPECT_EQ(asked, 2);
}

TEST(LocalAddress, LoopbackIsTheWhole127Network) {
    EXPECT_TRUE(IsLoopbackAddress("127.0.0.1"));
    EXPECT_TRUE(IsLoopbackAddress("127.0.1.1"));
    EXPECT_FALSE(IsLoopbackAddress("128.0.0.1"));
    EXPECT_FALSE(IsLoopbackAddress("10.127.0.1"));
    EXPECT_FALSE(IsLoopbackAddress("not an address"));
}

TEST(LocalAddress, DottedQuadsAndHostNames) {
    for (const char* quad : {"10.77.0.2", "0.0.0.0", "255.255.255.255"}) {
        uint32_t value = 0;
        EXPECT_TRUE(ParseDottedQuad(quad, value)) << quad;
        EXPECT_EQ(FormatDottedQuad(value), quad);
    }
    for (const char* name : {"", "annika-pc", "10.77.0.256", "10.77.0", "10.77.0.2.", ".10.77.0.2", "10..77.0",
                             "10.77.0.2 ", "1.2.3.4x", "1234.1.1.1", "0x0A.0.0.1"})
        EXPECT_FALSE(IsDottedQuad(name)) << name;
}
