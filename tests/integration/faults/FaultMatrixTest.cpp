// The fault matrix: every change the program makes, driven through the real main window as a
// user would, against real Samba servers, with a fault at each of its server-service calls in
// turn. A dry run of each walk counts its calls (through the forwarding proxy, which decodes
// them) and records the intended end state; then, for each call and each fault, a cell resets
// the shares, arms the fault, runs the walk, and checks on a fresh connection:
//   (a) every share that was there is still there, under its old or its new name, with its
//       whole record (path, comment, limit, descriptor) equal to the old one or the intended one;
//   (b) what the program said (message boxes, status lines, the list) matches what the server
//       holds now;
//   (c) no wait lasted longer than the bound without the wait panel.
// The faults: the answer comes after the bound (the server did the work), the answer is lost
// (work done, connection dropped), the request is lost (work not done, connection dropped), the
// server is killed and started again, the server refuses with an error status (its share
// command fails). Walks run on several servers at once, one child process per server.
#include "../Proxy.h"
#include "../TestServer.h"
#include "app/TForm1.h"
#include "backup/ShareBackup.h"
#include "integration/WindowOnServer.h"
#include "maintenance/TFindReplaceTextForm1.h"
#include "platform/smb/codec/Utf.h"
#include "support/ScriptedMessageBoxes.h"
#include "ui/Text.h"
#include "waiting/CallDispatcher.h"
#include "waiting/DispatchedServices.h"
#include "waiting/WaitPanel.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QFile>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>
#include <map>
#include <set>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace corvane;
using namespace corvane::integration;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using Answer = MessageBoxes::Answer;

namespace {

// The backend's progress bound in this test: short, so that late answers stay cheap, yet long
// enough that a busy two-core machine answers every call of a walk without a fault within it.
constexpr auto Bound = 3s;
// How long the proxy holds a late answer (the client has given up by then).
constexpr int LateHoldMs = 5000;
// A cell that runs longer than this is stuck: the shard ends with what it has.
constexpr auto CellLimit = 120s;

constexpr std::uint16_t OpAdd = 14, OpEnum = 15, OpGetInfo = 16, OpSetInfo = 17, OpDel = 18;

QString opName(std::uint16_t op) {
    switch (op) {
    case OpAdd:
        return QStringLiteral("Add");
    case OpEnum:
        return QStringLiteral("Enum");
    case OpGetInfo:
        return QStringLiteral("GetInfo");
    case OpSetInfo:
        return QStringLiteral("SetInfo");
    case OpDel:
        return QStringLiteral("Del");
    default:
        return QStringLiteral("op%1").arg(op);
    }
}

enum class Fault { Late, LostAnswer, LostRequest, Killed, Refused };
const Fault AllFaults[] = {Fault::Late, Fault::LostAnswer, Fault::LostRequest, Fault::Killed,
                           Fault::Refused};
QString faultName(Fault f) {
    switch (f) {
    case Fault::Late:
        return QStringLiteral("late answer");
    case Fault::LostAnswer:
        return QStringLiteral("answer lost");
    case Fault::LostRequest:
        return QStringLiteral("request lost");
    case Fault::Killed:
        return QStringLiteral("server killed");
    case Fault::Refused:
        return QStringLiteral("refused");
    }
    return {};
}

// ------------------------------------------------------------------ what a server holds

// A share's whole record as the checks compare it. The limit is read only for the shares a walk
// concerns (Samba gives it at level 2 alone, a call per share); unread, it matches any.
struct Record {
    std::u16string path, remark;
    std::uint32_t type = 0;
    std::optional<std::uint32_t> maxUses;
    std::vector<std::uint8_t> descriptor;
    friend bool operator==(const Record& a, const Record& b) {
        return a.path == b.path && a.remark == b.remark && a.type == b.type &&
               a.descriptor == b.descriptor && (!a.maxUses || !b.maxUses || a.maxUses == b.maxUses);
    }
};
using State = std::map<std::u16string, Record>;
using Names = std::set<std::u16string>;

QString q(const std::u16string& s) {
    return fromU16(s);
}

// Reads every share over `session`, the whole record of those in `detail` (all when null);
// false when the server did not answer. Those are read as a check is (Samba's RPC workers may
// each remember shares another has removed since): a share the file service does not have is
// not there.
bool readState(Session& session, const TestServer& server, State& out,
               const Names* detail = nullptr) {
    Status result = status::Success;
    const auto shares = enumerateAll(session.network, server.address(), &result);
    if (result != status::Success)
        return false;
    out.clear();
    for (const ShareInfo502& listed : shares) {
        if (listed.netname == u"IPC$")
            continue;
        Record& r = out[listed.netname];
        r = {listed.path, listed.remark, listed.type, std::nullopt, listed.securityDescriptor};
        if (detail && !detail->count(listed.netname))
            continue;
        ShareInfo502 info;
        const Status read = session.network.checkInfo(server.address(), listed.netname, info);
        if (read == status::NetNameNotFound) {
            out.erase(listed.netname);
            continue;
        }
        if (read != status::Success)
            return false;
        r = {info.path, info.remark, info.type, info.maxUses, info.securityDescriptor};
    }
    return true;
}

ShareInfo502 toInfo(const std::u16string& name, const Record& r) {
    ShareInfo502 info;
    info.netname = name;
    info.type = r.type;
    info.remark = r.remark;
    info.maxUses = r.maxUses.value_or(NoUserLimit);
    info.path = r.path;
    info.securityDescriptor = r.descriptor;
    return info;
}

// Makes the server hold `wanted` (whole records), starting from `now` as last read over
// `session`; false when it could not.
bool restore(Session& session, const TestServer& server, State now, const State& wanted,
             const Names& detail, QString* left = nullptr) {
    for (int round = 0; round < 3; ++round) {
        if (now == wanted)
            return true;
        if (left)
            left->clear();
        for (const auto& [name, record] : now)
            if (!wanted.count(name))
                session.network.remove(server.address(), name);
        for (const auto& [name, record] : wanted) {
            const auto it = now.find(name);
            if (it == now.end())
                session.network.add(server.address(), toInfo(name, record));
            else if (!(it->second == record))
                session.network.setInfo(server.address(), name, toInfo(name, record));
        }
        if (!readState(session, server, now, &detail)) {
            if (left)
                *left = QStringLiteral("the server could not be read");
            return false;
        }
    }
    if (left && !(now == wanted)) {
        QStringList differ;
        for (const auto& [name, record] : now)
            if (!wanted.count(name))
                differ << QString::fromStdU16String(name) + QStringLiteral(" is there");
        for (const auto& [name, record] : wanted)
            if (!now.count(name))
                differ << QString::fromStdU16String(name) + QStringLiteral(" is missing");
            else if (!(now.at(name) == record))
                differ << QString::fromStdU16String(name) + QStringLiteral(" differs");
        *left = differ.join(", ");
    }
    return now == wanted;
}

// Each field of `r` as "old", "new" (the intended value) or the value itself.
QString compare(const Record& r, const Record* old, const Record* meant) {
    QStringList out;
    const auto field = [&](const char* name, auto get, const QString& shown) {
        const bool isOld = old && get(*old) == get(r), isNew = meant && get(*meant) == get(r);
        out << QStringLiteral("%1 %2").arg(QLatin1String(name), isOld && isNew
                                                                    ? QStringLiteral("unchanged")
                                                                : isNew ? QStringLiteral("new")
                                                                : isOld ? QStringLiteral("old")
                                                                        : shown);
    };
    field(
        "path", [](const Record& x) { return x.path; }, q(r.path));
    field(
        "comment", [](const Record& x) { return x.remark; }, q(r.remark));
    field(
        "limit", [](const Record& x) { return x.maxUses; },
        r.maxUses ? QString::number(*r.maxUses) : QStringLiteral("unread"));
    field(
        "descriptor", [](const Record& x) { return x.descriptor; },
        QStringLiteral("other (%1 bytes)").arg(r.descriptor.size()));
    return out.join(", ");
}

// ------------------------------------------------------------------ the window

// The wait indicator of the program, which also notes each wait and whether its panel showed.
class RecordingIndicator : public WaitIndicator {
public:
    using WaitIndicator::WaitIndicator;
    struct Wait {
        Clock::time_point start, end;
        bool panel = false;
        QString work;
    };
    std::vector<Wait> waits;
    bool open = false;

    void waitStarted(const QString& work) override {
        WaitIndicator::waitStarted(work);
        waits.push_back({Clock::now(), {}, false, work});
        open = true;
    }
    void waitEnded() override {
        WaitIndicator::waitEnded();
        if (open)
            waits.back().end = Clock::now();
        open = false;
    }
};

// The main window wired as the program wires it, on a backend with the short bound.
struct Window {
    CallDispatcher dispatcher;
    smb::StaticCredentials credentials;
    std::unique_ptr<smb::SmbNetwork> network;
    std::unique_ptr<DispatchedServices> services;
    RecordingIndicator waits{dispatcher};
    test::ScriptedMessageBoxes messages;
    std::unique_ptr<TForm1> form;
    QStringList statusLines; // what the walk's dialog listed

    explicit Window(const TestServer& server) : credentials(server.adminCredentials()) {
        dispatcher.runOnWorker([this] {
            network = std::make_unique<smb::SmbNetwork>(credentials, integrationOptions(Bound));
        });
        dispatcher.setCanceller(network.get());
        services = std::make_unique<DispatchedServices>(dispatcher, *network, *network, *network);
        form = std::make_unique<TForm1>(*services, *services, *services, messages);
        waits.setHome(form.get());
        form->show();
    }
    ~Window() {
        form.reset();
        dispatcher.setCanceller(nullptr);
        dispatcher.runOnWorker([this] { network.reset(); });
    }

    template <typename T> T* find(const char* name, QWidget* in = nullptr) const {
        QWidget* root = in ? in : form.get();
        T* w = root->findChild<T*>(QLatin1String(name));
        if (!w)
            qFatal("no control %s", name);
        return w;
    }
    QWidget* page(const char* name) const { return find<QWidget>(name); }
    QTreeWidget* shares() const { return find<QTreeWidget>("SharesList1"); }

    bool open(const QString& computer) {
        find<QLineEdit>("Computer1")->setText(computer);
        form->OpenComputer1Click();
        return form->state().computerName == computer;
    }
    QStringList rows() const { return test::columnTexts(shares()); }
    bool select(QTreeWidget* list, const QStringList& names) { return selectRows(list, names); }
    bool trigger(const char* action) { return triggerSharesMenuItem(*form, action); }
};

class AnsweredFileDialogs : public FileDialogs {
public:
    QString fileName;
    QString saveFileName(QWidget*, const QString&) override { return fileName; }
    QString openFileName(QWidget*) override { return fileName; }
};

// Exports the named shares of `server` to `file` through a window of the program.
bool exportShares(const TestServer& server, const QStringList& names, const QString& file) {
    WindowOnServer w(server);
    if (!w.open() || !w.select(names))
        return false;
    AnsweredFileDialogs dialogs;
    dialogs.fileName = file;
    w.form.findChild<ShareBackup*>("ShareBackup")->setFileDialogs(dialogs);
    return w.trigger("ExportShares1") && w.messages.shown.isEmpty() && QFile::exists(file);
}

// ------------------------------------------------------------------ the walks

// Where a walk runs: the server it changes, the proxy address the program opens, the other
// server (a copy's source) and the files made for the imports.
struct Place {
    const TestServer& server;
    QString proxyAddress;
    const TestServer& other;
    QString importNew;     // shares of the other server, made for this test
    QString importReplace; // Alpha and Beta of this server as they were
    AnsweredFileDialogs dialogs;
};

// One share a walk concerns: its name before and after (empty before: a new share; empty
// after: deleted).
struct Target {
    std::u16string from, to;
};

struct Walk {
    const char* name;
    bool noMove = false; // the server cannot move a share in place
    std::vector<Target> targets;
    // Changes the state the walk starts from (after the reset to the demo shares).
    std::function<void(State&, const Place&)> prepare;
    // In the window, before the counted calls: selections, pages, dialogs' inputs.
    std::function<bool(Window&, Place&)> setup;
    // The walk itself.
    std::function<void(Window&, Place&)> act;
    // Its calls as a dry run counted them, to share the work out evenly.
    std::size_t expectedCalls = 0;
};

// Runs `action` once a window named `name` shows (a dialog the walk opens after its first calls).
void whenShown(Window& w, const char* name, std::function<void(QWidget*)> action) {
    auto* poll = new QTimer(w.form.get());
    poll->setInterval(20);
    QObject::connect(poll, &QTimer::timeout, [poll, name, action] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (widget->objectName() != QLatin1String(name) || !widget->isVisible())
                continue;
            poll->stop();
            poll->deleteLater();
            action(widget);
            return;
        }
    });
    poll->start();
}

// Runs a find and replace over the selected shares (share names or paths).
void findAndReplace(Window& w, bool paths, const QString& find, const QString& replacement) {
    whenShown(w, "FindReplaceTextForm1", [&w, paths, find, replacement](QWidget* dialog) {
        dialog->findChild<QRadioButton*>(paths ? "LocalPath1" : "ShareName1")->setChecked(true);
        dialog->findChild<QLineEdit*>("FindText1")->setText(find);
        dialog->findChild<QLineEdit*>("ReplaceText1")->setText(replacement);
        dialog->findChild<QPushButton*>("Ok1")->click();
        auto* list = dialog->findChild<QListWidget*>("StatusList1");
        for (int i = 0; i < list->count(); ++i)
            w.statusLines << list->item(i)->text();
        dialog->findChild<QPushButton*>("Close1")->click();
    });
    w.trigger("FindReplaceText1");
}

// Imports a file through the preview: types the new parent, sets "Replace existing", Ok.
void importFile(Window& w, Place& place, const QString& file, const QString& newParent,
                bool replace) {
    place.dialogs.fileName = file;
    whenShown(w, "ImportSharesForm1", [&w, newParent, replace](QWidget* preview) {
        preview->findChild<QLineEdit*>("ImportNewParentDir1")->setText(newParent);
        preview->findChild<QCheckBox*>("ReplaceExisting1")->setChecked(replace);
        // A share the preview could not read is reported there.
        auto* list = preview->findChild<QTreeWidget*>("ImportList1");
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            if (list->topLevelItem(i)->text(1).contains(QLatin1String("could not")))
                w.statusLines << list->topLevelItem(i)->text(0) + QLatin1String(": ") +
                                     list->topLevelItem(i)->text(1);
        preview->findChild<QPushButton*>("Ok1")->click();
        auto* status = preview->findChild<QListWidget*>("ImportStatusList1");
        for (int i = 0; i < status->count(); ++i)
            w.statusLines << status->item(i)->text();
        preview->findChild<QPushButton*>("Cancel1")->click();
    });
    w.form->findChild<ShareBackup*>("ShareBackup")->setFileDialogs(place.dialogs);
    w.trigger("ImportShares1");
}

QTreeWidgetItem* childNamed(QTreeWidgetItem* parent, const QString& text) {
    for (int i = 0; i < parent->childCount(); ++i)
        if (parent->child(i)->text(0) == text)
            return parent->child(i);
    return nullptr;
}

bool selectShare(Window& w, const QString& name) {
    return w.select(w.shares(), {name});
}

void apply(Window& w) {
    w.find<QPushButton>("Apply1", w.page("TabSheet1"))->click();
}

std::vector<Walk> walks() {
    std::vector<Walk> out;
    out.push_back({"Apply: comment, limit, access list",
                   false,
                   {{u"Beta", u"Beta"}},
                   nullptr,
                   [](Window& w, Place&) {
                       if (!selectShare(w, "Beta"))
                           return false;
                       QWidget* sheet = w.page("TabSheet1");
                       w.find<QLineEdit>("Comment1", sheet)->setText("Changed by the fault matrix");
                       w.find<QSpinBox>("MaxUsers1", sheet)->setValue(12);
                       auto* users = w.find<QTreeWidget>("UsersList1", sheet);
                       if (users->topLevelItemCount() == 0)
                           return false;
                       users->setCurrentItem(users->topLevelItem(0));
                       w.find<QCheckBox>("DenyRead1", sheet)->click();
                       return true;
                   },
                   [](Window& w, Place&) { apply(w); }});
    out.push_back(
        {"Apply: rename",
         false,
         {{u"Alpha", u"AlphaRenamed"}},
         nullptr,
         [](Window& w, Place&) {
             if (!selectShare(w, "Alpha"))
                 return false;
             w.find<QLineEdit>("ShareName1", w.page("TabSheet1"))->setText("AlphaRenamed");
             return true;
         },
         [](Window& w, Place&) { apply(w); }});
    for (bool noMove : {false, true}) {
        out.push_back(
            {noMove ? "Apply: new path, server cannot move" : "Apply: new path, moved in place",
             noMove,
             {{u"Beta", u"Beta"}},
             nullptr,
             [](Window& w, Place& place) {
                 if (!selectShare(w, "Beta"))
                     return false;
                 w.find<QLineEdit>("LocalPath1", w.page("TabSheet1"))
                     ->setText(q(place.server.serverPath("C", "Data/Alpha/Docs")));
                 return true;
             },
             [](Window& w, Place&) { apply(w); }});
    }
    out.push_back({"Hide",
                   false,
                   {{u"Work", u"Work$"}},
                   nullptr,
                   [](Window& w, Place&) { return selectShare(w, "Work"); },
                   [](Window& w, Place&) { w.trigger("HideSelected1"); }});
    out.push_back({"Delete",
                   false,
                   {{u"Work", u""}, {u"Archive", u""}},
                   nullptr,
                   [](Window& w, Place&) {
                       return w.select(w.shares(), {"Work", "Archive"});
                   },
                   [](Window& w, Place&) { w.trigger("DeleteSelected1"); }});
    out.push_back({"Find and replace: names",
                   false,
                   {{u"Data", u"Datum"}, {u"Beta", u"Betum"}},
                   nullptr,
                   [](Window& w, Place&) {
                       return w.select(w.shares(), {"Data", "Beta"});
                   },
                   [](Window& w, Place&) { findAndReplace(w, false, "ta", "tum"); }});
    out.push_back({"Find and replace: paths",
                   false,
                   {{u"Alpha", u"Alpha"}, {u"Beta", u"Beta"}},
                   nullptr,
                   [](Window& w, Place&) {
                       return w.select(w.shares(), {"Alpha", "Beta"});
                   },
                   [](Window& w, Place& place) {
                       findAndReplace(w, true, q(place.server.serverPath("C")),
                                      q(place.other.serverPath("C")));
                   }});
    out.push_back(
        {"Copy from another server",
         false,
         {{u"", u"CopyOne"}, {u"", u"CopyTwo"}},
         nullptr,
         [](Window& w, Place& place) {
             QWidget* sheet = w.page("TabSheet2");
             w.find<QLineEdit>("SourceComputer1", sheet)->setText(q(place.other.address()));
             // Samba's RPC workers may list the shares as they were when they last loaded
             // them: Open again, as a user would, until the new ones show.
             auto* source = w.find<QTreeWidget>("SourceComputerSharesList1", sheet);
             for (int attempt = 0; attempt < 5; ++attempt) {
                 w.find<QPushButton>("OpenCopyComputer1", sheet)->click();
                 if (w.select(source, {"CopyOne", "CopyTwo"}))
                     break;
                 if (attempt == 4)
                     return false;
                 QThread::msleep(200);
             }
             w.find<QLineEdit>("DestinationComputerParentDir1", sheet)
                 ->setText(q(place.server.serverPath("D", "Projects")));
             return true;
         },
         [](Window& w, Place&) { w.find<QPushButton>("Copy1", w.page("TabSheet2"))->click(); }});
    out.push_back(
        {"Create from directories",
         false,
         {{u"", u"Alpha$"}, {u"", u"Beta$"}},
         nullptr,
         [](Window& w, Place&) {
             QWidget* sheet = w.page("TabSheet3");
             auto* tree = w.find<QTreeWidget>("DirTree1", sheet);
             if (tree->topLevelItemCount() == 0)
                 return false;
             QTreeWidgetItem* c = childNamed(tree->topLevelItem(0), "C:");
             if (!c)
                 return false;
             c->setExpanded(true);
             QTreeWidgetItem* data = childNamed(c, "Data");
             if (!data)
                 return false;
             tree->setCurrentItem(data);
             w.find<QCheckBox>("CreateAllSharesHidden1", sheet)->setChecked(true);
             return w.select(w.find<QTreeWidget>("DirList1", sheet), {"Alpha", "Beta"});
         },
         [](Window& w, Place&) { w.find<QPushButton>("Create1", w.page("TabSheet3"))->click(); }});
    out.push_back({"Import: new shares",
                   false,
                   {{u"", u"CopyOne"}, {u"", u"CopyTwo"}},
                   nullptr,
                   [](Window& w, Place&) {
                       w.shares()->clearSelection();
                       return true;
                   },
                   [](Window& w, Place& place) {
                       importFile(w, place, place.importNew,
                                  q(place.server.serverPath("D", "Projects")), false);
                   }});
    out.push_back({"Import: replace existing",
                   false,
                   {{u"Alpha", u"Alpha"}, {u"Beta", u"Beta"}},
                   [](State& s, const Place& place) {
                       s[u"Alpha"].remark = u"Drifted since the export";
                       s[u"Beta"].path = place.server.serverPath("C", "Data/Alpha/Docs");
                   },
                   [](Window& w, Place&) {
                       w.shares()->clearSelection();
                       return true;
                   },
                   [](Window& w, Place& place) {
                       importFile(w, place, place.importReplace, QString(), true);
                   }});
    const std::map<std::string, std::size_t> expected{{"Apply: comment, limit, access list", 4},
                                                      {"Apply: rename", 3},
                                                      {"Apply: new path, moved in place", 6},
                                                      {"Apply: new path, server cannot move", 8},
                                                      {"Hide", 5},
                                                      {"Delete", 3},
                                                      {"Find and replace: names", 9},
                                                      {"Find and replace: paths", 15},
                                                      {"Copy from another server", 6},
                                                      {"Create from directories", 5},
                                                      {"Import: new shares", 5},
                                                      {"Import: replace existing", 20}};
    for (Walk& walk : out)
        walk.expectedCalls = expected.at(walk.name);
    return out;
}

// ------------------------------------------------------------------ one cell

struct Outcome {
    bool pass = true;
    bool applicable = true; // false: the fault never met the call (no share command ran)
    QString text;
    State after;
    std::vector<std::uint16_t> calls;
};

// The instance's fault switches, written as test-server.sh's `fault` command writes them.
struct Switches {
    std::string dir;
    void set(bool noMove, const std::string& faults = {}) const {
        if (noMove)
            std::ofstream(dir + "/no-move-in-place").flush();
        else
            std::remove((dir + "/no-move-in-place").c_str());
        std::ofstream(dir + "/faults", std::ios::trunc) << faults;
    }
    std::string faults() const {
        std::ifstream in(dir + "/faults");
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
};

enum class Held { Old, Done, Both, Lost, Mangled };
enum class Claim { Done, NotDone, Both, Gone, Unknown };

QString heldName(Held h) {
    static const char* const names[] = {"as it was", "done", "under both names", "LOST", "MANGLED"};
    return QLatin1String(names[static_cast<int>(h)]);
}
QString claimName(Claim c) {
    static const char* const names[] = {"done", "not done", "both names", "gone", "may be gone"};
    return QLatin1String(names[static_cast<int>(c)]);
}

bool successLine(const QString& line) {
    return line.contains(QLatin1String("successfully")) ||
           line.endsWith(QLatin1String("Created.")) || line.endsWith(QLatin1String("Replaced."));
}

// What the program said about one target: its failure texts (boxes with an error or warning
// icon, status lines that are not successes) that name it or name no target at all.
Claim claimFor(const Window& w, const Target& t, const std::vector<Target>& all) {
    // A box titled with a directory names the share made from it (hidden: with a '$').
    const auto names = [](const QString& text, const Target& x) {
        const auto named = [&text](const std::u16string& n) {
            if (n.empty())
                return false;
            QString bare = q(n);
            if (bare.endsWith(QLatin1Char('$')))
                bare.chop(1);
            return text.contains(q(n)) || text.startsWith(bare + QLatin1Char('\n'));
        };
        return named(x.from) || named(x.to);
    };
    // A box may name its share in the title (the bulk pages do).
    QStringList failures;
    for (const auto& box : w.messages.shown)
        if (box.icon == MessageBoxes::Icon::Error || box.icon == MessageBoxes::Icon::Warning)
            failures << box.title + QLatin1Char('\n') + box.text;
    for (const QString& line : w.statusLines)
        if (!successLine(line))
            failures << line;
    QStringList mine;
    for (const QString& text : failures) {
        const bool namesAny =
            std::any_of(all.begin(), all.end(), [&](const Target& x) { return names(text, x); });
        if (names(text, t) || !namesAny)
            mine << text;
    }
    if (mine.isEmpty()) {
        for (const QString& line : w.statusLines)
            if (successLine(line) && names(line, t))
                return Claim::Done;
        // A box that asks nothing ends a walk without a report: a target after the one it names
        // was never tried, which the program says by stopping there.
        const auto self =
            std::find_if(all.begin(), all.end(), [&](const Target& x) { return &x == &t; });
        for (const auto& box : w.messages.shown) {
            if (box.icon != MessageBoxes::Icon::Error || box.text.contains(QLatin1String("?")) ||
                !w.statusLines.isEmpty())
                continue;
            for (auto it = all.begin(); it != self && self != all.end(); ++it)
                if (names(box.title + QLatin1Char('\n') + box.text, *it))
                    return Claim::NotDone;
        }
        return Claim::Done;
    }
    const QString joined = mine.join('\n');
    if (joined.contains(QLatin1String("may be ")) || joined.contains(QLatin1String("may have")) ||
        joined.contains(QLatin1String("may still")) || joined.contains(QLatin1String("perhaps")))
        return Claim::Unknown;
    // ("Could not remove old share X" in a rename: the new one was made, the old one remains.)
    const bool rename = !t.from.empty() && !t.to.empty() && t.from != t.to;
    if (rename && (joined.contains(QLatin1String("both names")) ||
                   joined.contains(QLatin1String("remove old share"))))
        return Claim::Both;
    if (joined.contains(QLatin1String("had to be deleted")))
        return Claim::Gone;
    return Claim::NotDone;
}

Held heldFor(const Target& t, const State& before, const State& intended, const State& after) {
    const auto has = [&after](const std::u16string& n) { return !n.empty() && after.count(n); };
    if (t.from.empty())
        return !has(t.to)                            ? Held::Old
               : after.at(t.to) == intended.at(t.to) ? Held::Done
                                                     : Held::Mangled;
    if (t.to.empty())
        return !has(t.from)                            ? Held::Done
               : after.at(t.from) == before.at(t.from) ? Held::Old
                                                       : Held::Mangled;
    if (t.from == t.to) {
        if (!has(t.from))
            return Held::Lost;
        const Record& r = after.at(t.from);
        return r == before.at(t.from)   ? Held::Old
               : r == intended.at(t.to) ? Held::Done
                                        : Held::Mangled;
    }
    const bool old = has(t.from), renamed = has(t.to);
    if ((old && !(after.at(t.from) == before.at(t.from))) ||
        (renamed && !(after.at(t.to) == intended.at(t.to))))
        return Held::Mangled;
    return old && renamed ? Held::Both : old ? Held::Old : renamed ? Held::Done : Held::Lost;
}

// The three invariants; `fault` null for the dry run (everything must be done, nothing said).
void check(const Walk& walk, const State& before, const State& intended, const Window& w,
           const std::optional<Fault>& fault, Outcome& out) {
    QStringList problems, seen;
    const State& after = out.after;
    // (a) each target, and nothing else changed or came.
    std::set<std::u16string> targetNames;
    for (const Target& t : walk.targets) {
        targetNames.insert(t.from);
        targetNames.insert(t.to);
        const Held held = heldFor(t, before, intended, after);
        const Claim claim = claimFor(w, t, walk.targets);
        const QString name = q(t.from.empty() ? t.to : t.from);
        seen << QStringLiteral("%1 %2, said %3").arg(name, heldName(held), claimName(claim));
        if (held == Held::Lost || held == Held::Mangled) {
            QString detail = QStringLiteral("(a) %1 %2").arg(name, heldName(held));
            for (int side = 0; side < (t.from == t.to ? 1 : 2); ++side) {
                const std::u16string& n = side == 0 ? t.from : t.to;
                if (n.empty() || !after.count(n))
                    continue;
                const Record* old = before.count(n) ? &before.at(n) : nullptr;
                const Record* meant = intended.count(n) ? &intended.at(n) : nullptr;
                detail +=
                    QStringLiteral("; %1 holds %2").arg(q(n), compare(after.at(n), old, meant));
            }
            problems << detail;
        }
        // Every fault here ends with the server answering again within the bound (a killed
        // one is back and serving before the call goes on): the program can always find out,
        // so "may be gone" never fits a share that is there.
        bool fits = false;
        switch (held) {
        case Held::Done:
            fits = claim == Claim::Done;
            break;
        case Held::Old:
            fits = claim == Claim::NotDone;
            break;
        case Held::Both:
            fits = claim == Claim::Both;
            break;
        case Held::Lost:
        case Held::Mangled:
            fits = claim == Claim::Unknown || claim == Claim::Gone;
            break;
        }
        if (!fits)
            problems << QStringLiteral("(b) %1 is %2 but the program said %3")
                            .arg(name, heldName(held), claimName(claim));
        if (!fault && held != Held::Done)
            problems << QStringLiteral("dry run: %1 not done").arg(name);
    }
    for (const auto& [name, record] : before)
        if (!targetNames.count(name) && !(after.count(name) && after.at(name) == record))
            problems
                << QStringLiteral("(a) %1 changed though the walk did not concern it").arg(q(name));
    for (const auto& [name, record] : after)
        if (!before.count(name) && !targetNames.count(name))
            problems << QStringLiteral("(a) %1 appeared").arg(q(name));
    // (b) the list shows what the server holds.
    QStringList listed = w.rows(), held;
    listed.removeAll(QStringLiteral("IPC$"));
    for (const auto& [name, record] : after)
        held << q(name);
    listed.sort();
    held.sort();
    if (listed != held) {
        QStringList extra, missing;
        for (const QString& n : listed)
            if (!held.contains(n))
                extra << n;
        for (const QString& n : held)
            if (!listed.contains(n))
                missing << n;
        problems << QStringLiteral("(b) the list shows [%1] the server has not, lacks [%2]")
                        .arg(extra.join(','), missing.join(','));
    }
    // (c) no wait beyond the bound without the panel.
    for (const auto& wait : w.waits.waits)
        if (wait.end - wait.start > Bound + 200ms && !wait.panel)
            problems << QStringLiteral("(c) %1 ms without the wait panel: %2")
                            .arg(std::chrono::duration_cast<std::chrono::milliseconds>(wait.end -
                                                                                       wait.start)
                                     .count())
                            .arg(wait.work);
    out.pass = problems.isEmpty();
    QStringList said;
    for (const auto& box : w.messages.shown)
        if (box.icon != MessageBoxes::Icon::Question)
            said << box.text.simplified();
    for (const QString& line : w.statusLines)
        said << line.simplified();
    out.text = seen.join("; ");
    if (!out.pass)
        out.text += QStringLiteral(" || %1 || program said: %2")
                        .arg(problems.join(" | "),
                             said.isEmpty() ? QStringLiteral("nothing") : said.join(" / "));
}

struct Shard {
    Place place;
    Proxy& proxy;
    Switches switches;
    State baseline;
    // What the server held after the last cell, read with the last walk's details.
    std::optional<State> known;
    const Walk* knownFor = nullptr;
};

Names detailOf(const Walk& walk) {
    Names out;
    for (const Target& t : walk.targets)
        for (const std::u16string& n : {t.from, t.to})
            if (!n.empty())
                out.insert(n);
    return out;
}

// Runs `walk` once: the dry run when `fault` is null, else with the fault at call `nth`.
Outcome runCell(Shard& shard, const Walk& walk, const State& before, const State& intended,
                std::size_t nth, std::uint16_t op, const std::optional<Fault>& fault) {
    Outcome out;
    const auto started = Clock::now();
    Place& place = shard.place;
    const TestServer& server = place.server;
    const Names detail = detailOf(walk);
    shard.switches.set(false);
    {
        Session session(server);
        State now;
        if (shard.known && shard.knownFor == &walk)
            now = *shard.known;
        else if (!readState(session, server, now, &detail))
            now.clear();
        shard.known.reset();
        QString left;
        if (!restore(session, server, now, before, detail, &left)) {
            // The slow way: the script's reset to the demo shares, then the walk's changes.
            server.resetShares();
            Session again(server);
            if (!readState(again, server, now, &detail) ||
                !restore(again, server, now, before, detail, &left)) {
                out.pass = false;
                out.text = QStringLiteral("harness: the shares could not be reset (%1)").arg(left);
                return out;
            }
        }
    }
    shard.switches.set(walk.noMove);
    std::atomic<bool> killed{false}, unused{false};
    {
        Window w(server);
        QTimer sampler;
        sampler.setInterval(20);
        QObject::connect(&sampler, &QTimer::timeout, [&w] {
            if (!w.waits.open)
                return;
            for (QWidget* widget : QApplication::topLevelWidgets())
                for (QWidget* panel : widget->findChildren<QWidget*>(QStringLiteral("WaitPanel1")))
                    if (panel->isVisible())
                        w.waits.waits.back().panel = true;
        });
        sampler.start();
        if (!w.open(place.proxyAddress) || !walk.setup(w, place)) {
            out.pass = false;
            out.text = "harness: the walk could not be set up";
            return out;
        }
        w.messages.shown.clear();
        shard.proxy.reset();
        if (fault) {
            switch (*fault) {
            case Fault::Late:
                shard.proxy.arm(nth, Proxy::Fault::Late, LateHoldMs);
                break;
            case Fault::LostAnswer:
                shard.proxy.arm(nth, Proxy::Fault::LoseAnswer);
                break;
            case Fault::LostRequest:
                shard.proxy.arm(nth, Proxy::Fault::LoseRequest);
                break;
            case Fault::Killed:
                shard.proxy.onReached([&server, &killed, nth](std::size_t k) {
                    if (k != nth)
                        return;
                    killed = true;
                    server.run("crash");
                    server.run("revive");
                    // Back before the call goes on, RPC helpers started: a restart shorter
                    // than the program's usual bound, which this test shortens. (Asked with
                    // rpcclient: Samba's client libraries are not for two threads at once.)
                    shell("rpcclient -s " + quoted(server.value("CORVANE_TEST_CLIENT_CONF")) +
                          " -U " +
                          quoted(server.value("CORVANE_TEST_ADMIN_USER") + "%" +
                                 server.value("CORVANE_TEST_ADMIN_PASSWORD")) +
                          " " + server.addressUtf8() + " -c netshareenumall");
                });
                shard.proxy.arm(nth, Proxy::Fault::Pause);
                break;
            case Fault::Refused: {
                // The server's command for this call fails; when the next call comes, a
                // refusal still waiting shows that this call ran no command.
                const std::string what = op == OpAdd ? "add" : op == OpDel ? "delete" : "change";
                const Switches switches = shard.switches;
                const bool noMove = walk.noMove;
                shard.proxy.onReached([switches, what, noMove, nth, &unused](std::size_t k) {
                    if (k == nth) {
                        switches.set(noMove, "fail " + what + " 1\n");
                    } else if (k == nth + 1) {
                        unused = switches.faults().find("fail") != std::string::npos;
                        switches.set(noMove);
                    }
                });
                shard.proxy.arm(nth, Proxy::Fault::Pause);
                break;
            }
            }
        }
        walk.act(w, place);
        bool applied = false;
        out.calls = shard.proxy.calls(&applied);
        shard.proxy.onReached(nullptr);
        if (fault == Fault::Refused &&
            (unused || shard.switches.faults().find("fail") != std::string::npos))
            out.applicable = false;
        else if (fault && !applied)
            out.applicable = false;
        shard.switches.set(false);
        if (killed)
            server.run("revive");
        Session fresh(server);
        if (!readState(fresh, server, out.after, &detail)) {
            out.pass = false;
            out.text = "harness: the server could not be read after the walk";
            return out;
        }
        shard.known = out.after;
        shard.knownFor = &walk;
        check(walk, before, fault ? intended : out.after, w, fault, out);
    }
    out.text =
        QStringLiteral("%1 ms; ").arg(
            std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - started).count()) +
        out.text;
    return out;
}

// ------------------------------------------------------------------ shards

// Prints one matrix line: walk | call | fault | outcome.
void printRow(const QString& walk, const QString& call, const QString& fault, const Outcome& o) {
    const QString line = QStringLiteral("MATRIX %1 | %2 | %3 | %4 | %5\n")
                             .arg(walk, call, fault,
                                  !o.applicable ? QStringLiteral("n/a")
                                  : o.pass      ? QStringLiteral("pass")
                                                : QStringLiteral("FAIL"),
                                  o.text);
    std::fputs(line.toUtf8().constData(), stdout);
    std::fflush(stdout);
}

// A share of the work: the calls `first` to `last` (1-based, inclusive) of one walk.
struct Unit {
    int walk = 0;
    std::size_t first = 1, last = 0;
};

// "walk:first-last" items, comma-separated.
std::vector<Unit> parseUnits(const QString& text) {
    std::vector<Unit> out;
    for (const QString& item : text.split(',', Qt::SkipEmptyParts)) {
        const QStringList parts = item.split(':');
        const QStringList range = parts.value(1).split('-');
        out.push_back({parts.value(0).toInt(), range.value(0).toULong(), range.value(1).toULong()});
    }
    return out;
}

int runShard(const QString& serverAddress, const QString& proxyAddress, const QString& otherAddress,
             const QString& importNew, const std::vector<Unit>& units) {
    const TestServer server(serverAddress.toStdString());
    const TestServer other(otherAddress.toStdString());
    if (!server.start() || !server.resetShares()) {
        std::fprintf(stderr, "shard %s: the server did not start\n", qPrintable(serverAddress));
        return 2;
    }
    Proxy proxy(proxyAddress.toStdString(), serverAddress.toStdString());
    if (!proxy.ready()) {
        std::fprintf(stderr, "shard %s: the proxy did not start\n", qPrintable(proxyAddress));
        return 2;
    }
    QTemporaryDir files;
    Shard shard{{server, proxyAddress, other, importNew, files.filePath("replace.json"), {}},
                proxy,
                {server.value("CORVANE_TEST_SERVER_DIR")},
                {},
                {},
                nullptr};
    {
        Session session(server);
        if (!readState(session, server, shard.baseline) ||
            !exportShares(server, {"Alpha", "Beta"}, shard.place.importReplace)) {
            std::fprintf(stderr, "shard %s: no baseline\n", qPrintable(serverAddress));
            return 2;
        }
    }

    // A cell that hangs ends the shard, so the matrix still prints what it has.
    std::atomic<Clock::rep> cellStart{Clock::now().time_since_epoch().count()};
    std::atomic<bool> done{false};
    std::thread guard([&] {
        while (!done) {
            std::this_thread::sleep_for(1s);
            if (Clock::now().time_since_epoch().count() - cellStart >
                Clock::duration(CellLimit).count()) {
                std::printf("MATRIX stuck | %s | | FAIL | a cell ran longer than %lld s\n",
                            qPrintable(serverAddress), static_cast<long long>(CellLimit.count()));
                std::fflush(stdout);
                ::_exit(3);
            }
        }
    });

    const auto all = walks();
    // Each walk's dry run once, before its first unit here.
    struct Dry {
        State before, intended;
        std::vector<std::uint16_t> calls;
        bool ok = false;
    };
    std::map<int, Dry> dryRuns;
    for (const Unit& unit : units) {
        const Walk& walk = all[static_cast<std::size_t>(unit.walk)];
        if (!dryRuns.count(unit.walk)) {
            Dry& dry = dryRuns[unit.walk];
            dry.before = shard.baseline;
            if (walk.prepare)
                walk.prepare(dry.before, shard.place);
            cellStart = Clock::now().time_since_epoch().count();
            const Outcome o = runCell(shard, walk, dry.before, dry.before, 0, 0, std::nullopt);
            dry.calls = o.calls;
            dry.intended = o.after;
            dry.ok = o.pass && !o.calls.empty();
            QStringList ops;
            for (std::uint16_t op : o.calls)
                ops << opName(op);
            printRow(walk.name,
                     QStringLiteral("dry run: %1 calls %2").arg(o.calls.size()).arg(ops.join(' ')),
                     QStringLiteral("none"), o);
        }
        const Dry& dry = dryRuns[unit.walk];
        if (!dry.ok)
            continue;
        const std::size_t last =
            unit.last == 0 ? dry.calls.size() : std::min(unit.last, dry.calls.size());
        for (std::size_t nth = unit.first; nth <= last; ++nth) {
            const std::uint16_t op = dry.calls[nth - 1];
            for (Fault fault : AllFaults) {
                if (fault == Fault::Refused && op != OpAdd && op != OpSetInfo && op != OpDel)
                    continue;
                cellStart = Clock::now().time_since_epoch().count();
                const Outcome o = runCell(shard, walk, dry.before, dry.intended, nth, op, fault);
                printRow(walk.name, QStringLiteral("call %1 %2").arg(nth).arg(opName(op)),
                         faultName(fault), o);
            }
        }
    }
    done = true;
    guard.join();
    {
        Session session(server);
        State now;
        if (readState(session, server, now))
            restore(session, server, now, shard.baseline, {});
    }
    server.stop();
    return 0;
}

// Splits the walks into units of a few calls and deals them to `shards` servers, the longest
// first to the least loaded, counting a dry run for each walk a server has not run yet. A walk's
// last unit is open-ended, so an estimate that falls short only unbalances.
std::vector<std::vector<Unit>> deal(const std::vector<Walk>& all, std::size_t shards) {
    constexpr std::size_t Chunk = 4;
    struct Item {
        Unit unit;
        double cost;
    };
    std::vector<Item> items;
    for (std::size_t w = 0; w < all.size(); ++w) {
        if (all[w].expectedCalls == 0)
            continue;
        const std::size_t calls = all[w].expectedCalls;
        for (std::size_t first = 1; first <= calls; first += Chunk) {
            const bool last = first + Chunk > calls;
            const std::size_t n = last ? calls - first + 1 : Chunk;
            items.push_back({{int(w), first, last ? 0 : first + Chunk - 1}, double(n) * 4.5});
        }
    }
    std::stable_sort(items.begin(), items.end(),
                     [](const Item& a, const Item& b) { return a.cost > b.cost; });
    std::vector<std::vector<Unit>> out(shards);
    std::vector<double> load(shards, 0);
    const auto has = [&out](std::size_t s, int walk) {
        return std::any_of(out[s].begin(), out[s].end(),
                           [walk](const Unit& u) { return u.walk == walk; });
    };
    for (const Item& item : items) {
        std::size_t best = 0;
        double bestLoad = 1e18;
        for (std::size_t s = 0; s < shards; ++s) {
            const double l = load[s] + item.cost + (has(s, item.unit.walk) ? 0 : 1.5);
            if (l < bestLoad) {
                bestLoad = l;
                best = s;
            }
        }
        load[best] = bestLoad;
        out[best].push_back(item.unit);
    }
    return out;
}

std::vector<std::pair<QString, QString>> shardAddresses() {
    const QStringList addresses =
        QString::fromLatin1(CORVANE_FAULT_ADDRESSES).split(',', Qt::SkipEmptyParts);
    std::vector<std::pair<QString, QString>> out;
    for (qsizetype i = 0; i + 1 < addresses.size(); i += 2)
        out.emplace_back(addresses[i], addresses[i + 1]);
    return out;
}

// Makes the shares the copy and the import take from the other server, and their file.
bool prepareSource(const TestServer& other, const QString& file) {
    Session session(other);
    ShareInfo502 alpha;
    if (session.network.getInfo(other.address(), u"Alpha", alpha) != status::Success)
        return false;
    using Source = std::tuple<const char16_t*, const char*, std::uint32_t>;
    for (const auto& [name, dir, limit] : {Source{u"CopyOne", "Projects/Orion", 7u},
                                           Source{u"CopyTwo", "Projects/Vega", NoUserLimit}}) {
        session.network.remove(other.address(), name);
        ShareInfo502 share = alpha;
        share.netname = name;
        share.path = other.serverPath("D", dir);
        share.remark = std::u16string(u"Copy source ") + name;
        share.maxUses = limit;
        if (session.network.add(other.address(), share) != status::Success)
            return false;
    }
    return exportShares(other, {"CopyOne", "CopyTwo"}, file);
}

int runMatrix(const char* self) {
    const auto shards = shardAddresses();
    const TestServer& other = TestServer::secondary();
    QTemporaryDir files;
    const QString importNew = files.filePath("new.json");
    if (shards.empty() || !prepareSource(other, importNew)) {
        std::fprintf(stderr, "fault matrix: no shard addresses or no copy source\n");
        return 1;
    }
    const auto start = Clock::now();
    std::vector<Walk> chosen = walks();
    // CORVANE_FAULT_WALKS="Hide,Delete": only the walks whose names start so (for a developer).
    const QStringList only =
        qEnvironmentVariable("CORVANE_FAULT_WALKS").split(',', Qt::SkipEmptyParts);
    for (Walk& walk : chosen)
        if (!only.isEmpty() && std::none_of(only.begin(), only.end(), [&walk](const QString& o) {
                return QString::fromUtf8(walk.name).startsWith(o);
            }))
            walk.expectedCalls = 0;
    std::vector<std::vector<Unit>> dealt = deal(chosen, shards.size());
    // One child process per server, each writing its rows to a file of its own.
    std::vector<std::pair<pid_t, QString>> children;
    for (std::size_t s = 0; s < shards.size(); ++s) {
        QStringList units;
        for (const Unit& u : dealt[s])
            if (chosen[std::size_t(u.walk)].expectedCalls > 0)
                units << QStringLiteral("%1:%2-%3").arg(u.walk).arg(u.first).arg(u.last);
        if (units.isEmpty())
            continue;
        const QString output = files.filePath(QStringLiteral("shard%1.txt").arg(s));
        const QByteArray path = output.toLocal8Bit();
        const QByteArray args[] = {"--shard",
                                   shards[s].first.toLocal8Bit(),
                                   shards[s].second.toLocal8Bit(),
                                   q(other.address()).toLocal8Bit(),
                                   importNew.toLocal8Bit(),
                                   units.join(',').toLocal8Bit()};
        const pid_t pid = ::fork();
        if (pid == 0) {
            if (!std::freopen(path.constData(), "w", stdout))
                ::_exit(127);
            ::execl(self, self, args[0].constData(), args[1].constData(), args[2].constData(),
                    args[3].constData(), args[4].constData(), args[5].constData(),
                    static_cast<char*>(nullptr));
            ::_exit(127);
        }
        if (pid > 0)
            children.emplace_back(pid, output);
    }
    QStringList rows;
    bool ok = true;
    for (const auto& [pid, output] : children) {
        int status = 0;
        ::waitpid(pid, &status, 0);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            std::fprintf(stderr, "fault matrix: a shard ended with status %d\n", status);
            ok = false;
        }
        QFile file(output);
        if (!file.open(QIODevice::ReadOnly))
            continue;
        for (const QByteArray& line : file.readAll().split('\n'))
            if (line.startsWith("MATRIX "))
                rows << QString::fromUtf8(line.mid(7));
    }
    Session session(other);
    session.network.remove(other.address(), u"CopyOne");
    session.network.remove(other.address(), u"CopyTwo");

    int cells = 0, passed = 0, na = 0;
    QStringList failing;
    for (const QString& row : rows) {
        const QStringList fields = row.split(QLatin1String(" | "));
        const QString verdict = fields.value(3);
        std::printf("%s\n", qPrintable(row));
        if (fields.value(1).startsWith(QLatin1String("dry run"))) {
            if (verdict != QLatin1String("pass"))
                failing << row;
            continue;
        }
        if (verdict == QLatin1String("n/a")) {
            ++na;
            continue;
        }
        ++cells;
        if (verdict == QLatin1String("pass"))
            ++passed;
        else
            failing << row;
    }
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(Clock::now() - start);
    std::printf("\nfault matrix: %d cells, %d pass, %d fail, %d not applicable, %lld s on %zu "
                "servers\n",
                cells, passed, cells - passed, na, static_cast<long long>(seconds.count()),
                children.size());
    for (const QString& row : failing)
        std::printf("FAILING %s\n", qPrintable(row));
    std::fflush(stdout);
    return ok && failing.isEmpty() && cells > 0 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    // The walks' servers serve their RPC calls from one process. With several, each keeps the
    // share definitions it last loaded, and the reads that check a cell could meet one that
    // has not seen the walk's changes (the program's own reads after a broken connection are
    // checked against that in the backend's integration tests).
    qputenv("CORVANE_TEST_RPC_WORKERS", "1");
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    if (args.size() >= 7 && args[1] == QLatin1String("--shard"))
        return runShard(args[2], args[3], args[4], args[5], parseUnits(args[6]));
    return runMatrix(argv[0]);
}
