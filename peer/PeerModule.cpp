// The messenger's contributions to the main window: banner, refresh, tree section, tray tip, chat commands,
// users listing, and the console lines of other copies' messages.
#include "peer/PeerModule.h"

#include <climits>
#include <cstdio>
#include <cstring>
#include <iterator>

#include "base/Format.h"
#include "base/TreeImages.h"

namespace {

constexpr const char* MESSAGE_BALLOON_TITLE = "Message from KVL user";
constexpr unsigned MESSAGE_BALLOON_SECONDS = 10;

bool BeginsWith(const std::string& text, const char* prefix) {
    return text.compare(0, std::char_traits<char>::length(prefix), prefix) == 0;
}

// A user's image is the first user image plus its state; a state the protocol does not know has no picture.
int UserImage(uint32_t state) {
    const long long image = static_cast<long long>(IMG_USER_BASE) + state;
    return image > INT_MAX ? INT_MAX : static_cast<int>(image);
}

}  // namespace

const char* GameStateText(uint32_t state) {
    switch (state) {
    case GAME_NOT_RUNNING:
        return "BW not running";
    case GAME_RUNNING:
        return "BW running";
    case GAME_ACTIVE:
        return "BW active";
    default:
        return "?";
    }
}

WhisperTarget ChooseWhisperTarget(const std::vector<std::unique_ptr<PeerUser>>& users, const std::string& argument) {
    WhisperTarget target;
    for (const auto& user : users) {
        size_t matched;
        if (BeginsWith(argument, user->name))
            matched = strlen(user->name);
        else if (BeginsWith(argument, user->address))
            matched = strlen(user->address);
        else
            continue;
        target.user = user.get();
        // The name or address and one separator character, whatever it is. Nothing after the name: an empty text.
        const size_t skip = matched + 1;
        target.text = skip < argument.size() ? argument.substr(skip) : std::string();
        return target;
    }
    return target;
}

CPeerModule::CPeerModule(IModuleHost& host, ISocketFactory& sockets, const CAppContext& context,
                         const IWindowFinder& windows)
    : m_Host(host), m_Communicator(sockets, context.LocalAddress(), context.Settings(), windows) {}

int CPeerModule::Start() {
    const int result = m_Communicator.Start();
    if (result == 0)
        m_Communicator.SetOwner(this);
    return result;
}

std::vector<ConsoleCommand> CPeerModule::Commands() const {
    return std::vector<ConsoleCommand>(std::begin(PeerCommands), std::end(PeerCommands));
}

void CPeerModule::OnCommand(uint32_t id, const std::string& argument) {
    switch (id) {
    case CMD_A:
        m_Communicator.SendText("", argument);  // an empty argument is an empty message
        break;
    case CMD_W:
        Whisper(argument);
        break;
    case CMD_R:
        Reply(argument);
        break;
    case CMD_USERS:
        ListUsers();
        break;
    default:
        break;
    }
}

void CPeerModule::EndRefresh() {
    if (m_Communicator.IsRefreshing())
        m_Communicator.EndRefresh();
}

void CPeerModule::BuildTreeSection(ITreeView& tree) {
    const TreeItem root = tree.InsertItem(TREE_NONE, "KVL's online", IMG_ROOT_USERS, false);
    for (const auto& user : m_Communicator.Users()) {
        const TreeItem item =
            tree.InsertItem(root, user->name, UserImage(user->state), m_Communicator.IsOwnAddress(user->address));
        tree.InsertItem(item, FormatLine("Address: %s", user->address), IMG_ADDRESS, false);
        tree.InsertItem(item, FormatLine("Sign: %s", user->sign), IMG_SIGN, false);
        m_Host.AddKeyword(user->name);
        m_Host.AddKeyword(user->address);
    }
    tree.SortChildren(root);
    tree.Expand(root);
}

std::string CPeerModule::TrayTipPart() const {
    return FormatLine("Users: %d", static_cast<int>(m_Communicator.Users().size()));
}

void CPeerModule::Whisper(const std::string& argument) {
    IConsoleWriter& console = m_Host.Console();
    const WhisperTarget target = ChooseWhisperTarget(m_Communicator.Users(), argument);
    if (!target.user) {
        console.WriteLine("");
        return;
    }
    // Copied before sending: our own socket may hand us datagrams while the send runs.
    const std::string line = "<To: " + std::string(target.user->name) + "> " + target.text;
    const std::string address = target.user->address;
    m_Communicator.SendText(address, target.text);
    console.WriteLine(line);
}

void CPeerModule::Reply(const std::string& argument) {
    // Before any private message the reply address is empty: the line says "Unknown" and the text goes to everybody.
    m_Host.Console().WriteLine("<To: " + m_Communicator.NameByAddress(m_strReplyTo) + "> " + argument);
    m_Communicator.SendText(m_strReplyTo, argument);
}

void CPeerModule::ListUsers() {
    std::vector<std::string> lines{"Current users: "};
    for (const auto& user : m_Communicator.Users())
        lines.push_back(FormatLine(" %s (%s) - %s", user->name, user->address, GameStateText(user->state)));
    lines.emplace_back();
    m_Host.Console().WriteList(lines);
}

void CPeerModule::OnPeerNotice(const PeerNotice& notice, intptr_t kind) {
    const std::string address(notice.address, strnlen(notice.address, sizeof(notice.address)));
    if (kind == PEER_NOTICE_NEWER_VERSION) {
        // The console adds its own line end: an empty line follows the warning.
        m_Host.Console().WriteLine("Warning! New version of KVL detected at " + address + ", please upgrade\r\n");
        return;
    }
    if (kind == PEER_NOTICE_MESSAGE)
        ShowPeerMessage(address, notice.data, notice.length);
}

// A message is only ever written: a text that begins with "/" is shown, never run as a command.
void CPeerModule::ShowPeerMessage(const std::string& address, const uint8_t* datagram, int length) {
    const uint32_t type = PeerType(datagram, length);
    if (type != PEER_TEXT_ALL && type != PEER_TEXT_PRIVATE)
        return;
    // The text is copied out of the communicator's receive buffer before anything else happens.
    const std::string text = PeerMessageText(datagram, length);
    const std::string name = m_Communicator.NameByAddress(address);
    if (type == PEER_TEXT_ALL) {
        m_Host.Console().WriteLine(name + ": " + text);
        return;
    }
    const std::string line = "<From: " + name + "> " + text;
    m_strReplyTo = address;
    m_Host.Console().WriteLine(line);
    if (!m_Host.IsWindowOnScreen())
        m_Host.ShowTrayBalloon(line, MESSAGE_BALLOON_TITLE, BalloonIcon::Info, MESSAGE_BALLOON_SECONDS);
}
