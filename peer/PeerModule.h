// The peer messenger as a module of the main window: its banner line, its part of the refresh, the "KVL's online"
// root of the status tree, the users count of the tray tip, the chat commands and the users listing, and the
// console lines (and balloon) of what other copies send.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/AppContext.h"
#include "base/GameWindow.h"
#include "base/Module.h"
#include "peer/Communicator.h"
#include "peer/PeerCommands.h"

class CPeerModule : public IModule, public IPeerNoticeSink {
public:
    CPeerModule(IModuleHost& host, ISocketFactory& sockets, const CAppContext& context, const IWindowFinder& windows);

    const char* BannerText() const override { return " Starting Chatline\x99..."; }
    int Start() override;
    void Shutdown() override { m_Communicator.SetOwner(nullptr); }

    std::vector<ConsoleCommand> Commands() const override;
    void OnCommand(uint32_t id, const std::string& argument) override;
    // A line typed without "/" is chat to everybody.
    std::optional<uint32_t> PlainLineCommand() const override { return CMD_A; }

    const char* RefreshName() const override { return "m_Communicator"; }
    int BeginRefresh() override { return m_Communicator.BeginRefresh(); }
    void EndRefresh() override;

    void BuildTreeSection(ITreeView& tree) override;
    std::string TrayTipPart() const override;

    // IPeerNoticeSink: what the communicator hands over, handled before it goes on.
    void OnPeerNotice(const PeerNotice& notice, intptr_t kind) override;

    CCommunicator& Communicator() { return m_Communicator; }
    const std::string& ReplyTo() const { return m_strReplyTo; }

private:
    void ShowPeerMessage(const std::string& address, const uint8_t* datagram, int length);
    void Whisper(const std::string& argument);
    void Reply(const std::string& argument);
    void ListUsers();

    IModuleHost& m_Host;
    CCommunicator m_Communicator;
    // The sender of the last private message: where "r" replies go (empty: to everybody).
    std::string m_strReplyTo;
};

// The addressee of "w": the first user, in list order, whose name (or, failing that, whose address) begins the
// argument, and the message text after it and one separator character. Null when nobody matches.
struct WhisperTarget {
    const PeerUser* user = nullptr;
    std::string text;
};
WhisperTarget ChooseWhisperTarget(const std::vector<std::unique_ptr<PeerUser>>& users, const std::string& argument);

// The state as the users listing shows it.
const char* GameStateText(uint32_t state);
