#include "app/FenkList.h"
#include "app/FenkMain.h"
#include "foundation/NException.h"
#include "foundation/NFieldList.h"
#include "store/NRowset.h"
#include "tests/support/TemporaryFolder.h"
#include "tests/support/ui/ApplicationFixture.h"
#include "tests/support/ui/ModalDriver.h"
#include "ui/actions/NActionButton.h"
#include "ui/actions/NControl.h"
#include "ui/lists/NList.h"
#include "ui/platform/NMessageBox.h"

#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPixmapCache>
#include <QTest>

#include <algorithm>
#include <exception>
#include <iostream>
#include <optional>
#include <random>
#include <tuple>

#if defined(__SANITIZE_ADDRESS__)
#define FENK_MONKEY_UNDER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define FENK_MONKEY_UNDER_ASAN 1
#endif
#endif

#ifdef FENK_MONKEY_UNDER_ASAN
// Of the sanitizer's allocator interface, whose header GCC does not install.
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#else
#include <malloc.h>
#endif

namespace {

constexpr char MasterPassword[] = "monkey master";
constexpr int LoginCount = 500;
// The sanitized build runs about ten times slower; 2,500 events keep it near a minute there.
#ifdef FENK_MONKEY_UNDER_ASAN
constexpr int EventCount = 2500;
constexpr int WarmUpEvents = 500;
#else
constexpr int EventCount = 20000;
constexpr int WarmUpEvents = 2000;
#endif
// Once warm, the heap holds the vault's rows, the list's items and Qt's caches of glyphs and fonts, which still
// grow slowly as new texts and sizes are drawn: 1.3 to 2.5 MB over the 18,000 events after the warm-up, pixmap
// cache emptied. 8 MB leaves room for other seeds and sequences and still fails a leak of 500 bytes per event, far
// less than one dialog, list reload or window left behind.
constexpr std::size_t HeapGrowthBound = 8u << 20;
// A dialog still open after this many answers is closed, so no answer sequence keeps one open for ever.
constexpr int AnswersPerDialog = 4;

// The heap in use by the program. Qt's pixmap cache is emptied first: the styles fill it up to its limit of 10 MB
// as they draw, which would hide what the window itself keeps.
std::size_t HeapInUse()
{
    QPixmapCache::clear();
#ifdef FENK_MONKEY_UNDER_ASAN
    return __sanitizer_get_current_allocated_bytes();
#else
    return mallinfo2().uordblks;
#endif
}

QString AnswerMasterPassword(const QString&, bool, const QString&)
{
    return QString::fromLatin1(MasterPassword);
}

// The logins as "site|login|password|note", sorted.
QStringList SortedLogins(QStringList Logins)
{
    Logins.sort();
    return Logins;
}

QStringList RowsOf(TNERowset& Logins)
{
    QStringList rows;
    TNERowIterator row(Logins);
    for (row.First(); !row.IsDone(); row.Next()) {
        QStringList fields;
        for (int column = lcSiteName; column <= lcNote; ++column)
            fields.append(row.Current()->GetString(column));
        rows.append(fields.join(u'|'));
    }
    return SortedLogins(rows);
}

// Points HOME, the XDG folders and the current folder at a folder of the test for its lifetime, and the log there.
class TPrivateHome
{
public:
    explicit TPrivateHome(const QString& Home) : Folder_(QDir::currentPath()), LogFile_(LogFileName())
    {
        const char* const variables[] = {"HOME",           "XDG_CONFIG_HOME", "XDG_DATA_HOME",
                                         "XDG_CACHE_HOME", "XDG_STATE_HOME",  "XDG_RUNTIME_DIR"};
        for (const char* variable : variables) {
            Saved_.push_back({variable, qEnvironmentVariableIsSet(variable)
                                            ? std::optional<QByteArray>(qgetenv(variable))
                                            : std::nullopt});
            const QString path = Home + u'/' + QString::fromLatin1(variable).toLower();
            QDir().mkpath(path);
            QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
            qputenv(variable, QFile::encodeName(path));
        }
        QDir::setCurrent(Home);
        SetLogFileName(Home + QStringLiteral("/xdg_state_home/fenk.log"));
    }
    ~TPrivateHome()
    {
        SetLogFileName(LogFile_);
        QDir::setCurrent(Folder_);
        for (const auto& [variable, value] : Saved_) {
            if (value)
                qputenv(variable, *value);
            else
                qunsetenv(variable);
        }
    }
    TPrivateHome(const TPrivateHome&) = delete;
    TPrivateHome& operator=(const TPrivateHome&) = delete;

private:
    QString Folder_;
    QString LogFile_;
    std::vector<std::pair<const char*, std::optional<QByteArray>>> Saved_;
};

// The program's message boxes, shown for real so that the monkey answers them, and a record of every error that
// reached the application's default handler: the text, and whether the exception behind it was not one of the
// program's own.
class TRecordingPresenter final : public TNEPromptPresenter
{
public:
    TRecordingPresenter() : Previous_(InstallPromptPresenter(this)) {}
    ~TRecordingPresenter() override { InstallPromptPresenter(Previous_); }
    TRecordingPresenter(const TRecordingPresenter&) = delete;
    TRecordingPresenter& operator=(const TRecordingPresenter&) = delete;

    QStringList Errors;
    QStringList ForeignErrors;

    void ShowMessage(TNEMessageKind Kind, const QString& Text) override { Boxes_.ShowMessage(Kind, Text); }
    bool AskYesNo(const QString& Text, bool Default) override { return Boxes_.AskYesNo(Text, Default); }
    void ShowTitledMessage(const QString& Title, const QString& Text) override
    {
        // The default handler shows the exception it is handling; std::current_exception still holds it here.
        if (const std::exception_ptr error = std::current_exception()) {
            Errors.append(Text);
            try {
                std::rethrow_exception(error);
            } catch (const ENEException&) {
            } catch (...) {
                ForeignErrors.append(Text);
            }
        }
        Boxes_.ShowTitledMessage(Title, Text);
    }

private:
    TNEPromptPresenter* Previous_;
    TNEMessageBoxPresenter Boxes_;
};

// One key of the monkey: letters, digits, the window's and the dialogs' keys.
const Qt::Key MonkeyKeys[] = {
    Qt::Key_A,       Qt::Key_B,      Qt::Key_C,      Qt::Key_D,         Qt::Key_E,        Qt::Key_F,     Qt::Key_G,
    Qt::Key_H,       Qt::Key_I,      Qt::Key_J,      Qt::Key_K,         Qt::Key_L,        Qt::Key_M,     Qt::Key_N,
    Qt::Key_O,       Qt::Key_P,      Qt::Key_Q,      Qt::Key_R,         Qt::Key_S,        Qt::Key_T,     Qt::Key_U,
    Qt::Key_V,       Qt::Key_W,      Qt::Key_X,      Qt::Key_Y,         Qt::Key_Z,        Qt::Key_0,     Qt::Key_1,
    Qt::Key_5,       Qt::Key_9,      Qt::Key_Space,  Qt::Key_Escape,    Qt::Key_Return,   Qt::Key_Enter, Qt::Key_Tab,
    Qt::Key_Backtab, Qt::Key_F1,     Qt::Key_F2,     Qt::Key_F3,        Qt::Key_F5,       Qt::Key_F6,    Qt::Key_F10,
    Qt::Key_F12,     Qt::Key_Delete, Qt::Key_Insert, Qt::Key_Backspace, Qt::Key_Left,     Qt::Key_Right, Qt::Key_Up,
    Qt::Key_Down,    Qt::Key_Home,   Qt::Key_End,    Qt::Key_PageUp,    Qt::Key_PageDown,
};
// The keys that run the window's commands weigh more than their share of the table.
const std::pair<Qt::Key, Qt::KeyboardModifiers> CommandKeys[] = {
    {Qt::Key_O, Qt::ControlModifier},
    {Qt::Key_N, Qt::ControlModifier},
    {Qt::Key_F2, Qt::ControlModifier},
    {Qt::Key_Delete, Qt::ControlModifier},
    {Qt::Key_Escape, {}},
    {Qt::Key_C, Qt::ControlModifier},
    {Qt::Key_Insert, {}},
    {Qt::Key_F2, {}},
    {Qt::Key_Delete, {}},
    {Qt::Key_Return, {}},
    {Qt::Key_F6, {}},
    {Qt::Key_S, Qt::ControlModifier},
};

struct TMonkeyRun
{
    const char* Name;
    bool MaySave;
};

class FenkMonkey : public TApplicationFixture, public testing::WithParamInterface<TMonkeyRun>
{
public:
    FenkMonkey() : Seed_(SeedOfRun()), Random_(Seed_), Home_(Folder_.Path()) {}

    void SetUp() override
    {
        QDir().mkpath(VaultFolder());
        TFenkDocument document{TFenkPasswordPrompt(&AnswerMasterPassword)};
        ASSERT_EQ(document.NewFile(Vault_), TFenkLoadResult::Loaded);
        document.RunRowCommand([&] {
            for (int row = 0; row < LoginCount; ++row)
                document.LoginRowset()->InsertRow(
                    JoinItems({QStringLiteral("site-%1.monkey.example").arg(row, 3, 10, QChar(u'0')),
                               QStringLiteral("user%1@monkey.example").arg(row),
                               QStringLiteral("pw-%1-%2").arg(row).arg(quint64(row) * 2654435761u % 1000003u),
                               row % 3 == 0 ? QStringLiteral("note %1 \u00e4\u20ac").arg(row) : QString()}));
        });
        document.SaveToFile(Vault_);
        Driver_.AnswerAllOthers([this](QWidget& Dialog) { AnswerAtRandom(Dialog); });
    }
    void TearDown() override
    {
        Driver_.AnswerAllOthers({});
        Discard();
        TApplicationFixture::TearDown();
    }

protected:
    static unsigned SeedOfRun()
    {
        bool isSet = false;
        const unsigned seed = qgetenv("FENK_MONKEY_SEED").toUInt(&isSet);
        return isSet ? seed : std::random_device()();
    }

    QString VaultFolder() const { return Folder_.FilePath(QStringLiteral("vaults")); }
    std::pair<QByteArray, QDateTime> VaultOnDisk() const
    {
        QFile file(Vault_);
        return {file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray(), QFileInfo(Vault_).lastModified()};
    }

    int Random(int Count) { return std::uniform_int_distribution<int>(0, Count - 1)(Random_); }
    bool Chance(int Percent) { return Random(100) < Percent; }
    QString RandomText()
    {
        QString text;
        for (int length = 1 + Random(8); length > 0; --length)
            text += QChar(Random(4) == 0 ? u'0' + Random(10) : u'a' + Random(26));
        return text;
    }
    Qt::KeyboardModifiers RandomModifiers()
    {
        Qt::KeyboardModifiers modifiers;
        if (Chance(25))
            modifiers |= Qt::ControlModifier;
        if (Chance(20))
            modifiers |= Qt::ShiftModifier;
        if (Chance(8))
            modifiers |= Qt::AltModifier;
        return modifiers;
    }
    std::pair<Qt::Key, Qt::KeyboardModifiers> RandomKey()
    {
        if (Chance(20))
            return CommandKeys[Random(int(std::size(CommandKeys)))];
        return {MonkeyKeys[Random(int(std::size(MonkeyKeys)))], RandomModifiers()};
    }

    // The window, open on the vault; started anew when the monkey closed it, its vault or opened another file.
    void EnsureVaultShown()
    {
        if (Form_ && Form_->isVisible() && Form_->Document().FileName() == Vault_ && Form_->Document().Crypt().HasKey())
            return;
        Discard();
        ++Reopened_;
        Driver_.Answer([](QWidget& Dialog) {
            QLineEdit* edit = Dialog.findChild<QLineEdit*>();
            ASSERT_NE(edit, nullptr);
            QTest::keyClicks(edit, QString::fromLatin1(MasterPassword));
            QTest::keyClick(edit, Qt::Key_Return);
        });
        Form_ = std::make_unique<TFenkForm>(QStringList{Vault_});
        Form_->show();
        ASSERT_TRUE(Form_->Document().Crypt().HasKey()) << "the vault did not open again";
    }
    void Discard()
    {
        if (Form_)
            Form_->OnCloseQuery = {};
        Form_.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    TNEActionButton* SaveButton() const
    {
        auto& buttons = Form_->ActionView().Buttons();
        for (int i = 0; i < buttons.Count(); ++i) {
            TNEActionButton* button = buttons.GetItem(i);
            if (button->Handler() == TNEActionHandler{Form_.get(), &TFenkForm::SaveFile})
                return button;
        }
        return nullptr;
    }
    // Whether a key would run Save in the window: its shortcut, the Alt letter of its button, or Enter or Space on
    // the focused button.
    bool RunsSave(Qt::Key Key, Qt::KeyboardModifiers Modifiers, const QWidget* Target) const
    {
        if (Key == Qt::Key_S && Modifiers.testFlag(Qt::ControlModifier))
            return true;
        const TNEActionButton* save = SaveButton();
        const qsizetype mark = save->Caption().indexOf(u'&');
        if (Modifiers.testFlag(Qt::AltModifier) && mark >= 0 &&
            Key == Qt::Key_A + (save->Caption().at(mark + 1).toUpper().unicode() - u'A'))
            return true;
        return Target == save && (Key == Qt::Key_Return || Key == Qt::Key_Enter || Key == Qt::Key_Space);
    }
    bool IsOnSaveButton(QPoint Point) const
    {
        const TNEActionButton* save = SaveButton();
        return QRect(save->mapTo(Form_.get(), QPoint(0, 0)), save->size()).contains(Point);
    }

    // One key press or click on the window; in a run that may not save, never one that would run Save.
    void SendEvent()
    {
        if (!Form_->isActiveWindow())
            Form_->activateWindow();
        QWidget* const focused = QApplication::focusWidget() && QApplication::focusWidget()->window() == Form_.get()
                                     ? QApplication::focusWidget()
                                     : Form_.get();
        if (Chance(80)) {
            auto [key, modifiers] = RandomKey();
            while (!GetParam().MaySave && RunsSave(key, modifiers, focused))
                std::tie(key, modifiers) = RandomKey();
            QTest::keyClick(focused, key, modifiers);
            return;
        }
        QPoint point;
        do {
            point = QPoint(Random(Form_->width()), Random(Form_->height()));
        } while (!GetParam().MaySave && IsOnSaveButton(point));
        QWidget* target = Form_->childAt(point) ? Form_->childAt(point) : Form_.get();
        const QPoint at = target->mapFrom(Form_.get(), point);
        const Qt::KeyboardModifiers modifiers = Chance(20) ? RandomModifiers() : Qt::KeyboardModifiers();
        if (Chance(30))
            QTest::mouseDClick(target, Qt::LeftButton, modifiers, at);
        else
            QTest::mouseClick(target, Qt::LeftButton, modifiers, at);
    }

    // Answers a dialog as a user might: Enter, Ctrl+Enter, Esc, its close box, a text typed and Enter, or a few
    // random keys; after AnswersPerDialog answers a dialog still open is closed. The window's questions ("Discard
    // changes in current file?", "Exit without saving?", "Open existing file?") write nothing whatever the answer,
    // so both runs answer them at random: only Save writes, and only Save asks about a file changed on disk.
    void AnswerAtRandom(QWidget& Dialog)
    {
        std::erase_if(Tries_, [](const auto& Tried) { return !Tried.first || !Tried.first->isVisible(); });
        auto tried = std::find_if(Tries_.begin(), Tries_.end(), [&](const auto& t) { return t.first == &Dialog; });
        if (tried == Tries_.end())
            tried = Tries_.insert(Tries_.end(), {QPointer<QWidget>(&Dialog), 0});
        if (++tried->second > AnswersPerDialog || Chance(10)) {
            CloseBox(Dialog);
            return;
        }
        if (const QList<TNEOpaqueEdit*> edits = Dialog.findChildren<TNEOpaqueEdit*>();
            Dialog.findChild<TNEListView*>() && edits.size() == 2) {
            AnswerLocator(Dialog, *edits[1]);
            return;
        }
        QWidget* focused = Dialog.focusWidget() ? Dialog.focusWidget() : &Dialog;
        switch (Random(5)) {
        case 0:
            QTest::keyClick(focused, Qt::Key_Return);
            break;
        case 1:
            QTest::keyClick(focused, Qt::Key_Return, Qt::ControlModifier);
            break;
        case 2:
            QTest::keyClick(focused, Qt::Key_Escape);
            break;
        case 3:
            QTest::keyClicks(focused, RandomText());
            if (Dialog.isVisible())
                QTest::keyClick(Dialog.focusWidget() ? Dialog.focusWidget() : &Dialog, Qt::Key_Return);
            break;
        default:
            for (int count = 1 + Random(4); count > 0 && Dialog.isVisible(); --count) {
                const auto [key, modifiers] = RandomKey();
                QTest::keyClick(Dialog.focusWidget() ? Dialog.focusWidget() : &Dialog, key, modifiers);
            }
        }
    }
    // The locator of Open and New: its path box and folder list walk the real file system, where New would make
    // files outside the test's folder, so the answers stay in the vault's folder: Esc, the vault chosen, or (for
    // New) a fresh name typed into the name box.
    void AnswerLocator(QWidget& Dialog, QLineEdit& NameBox)
    {
        const int answer = Random(3);
        if (answer == 0) {
            QTest::keyClick(&Dialog, Qt::Key_Escape);
        } else if (answer == 1 && NameBox.isEnabled()) {
            NameBox.setFocus();
            NameBox.setText(RandomText());
            QTest::keyClick(&NameBox, Qt::Key_Return);
        } else {
            auto* list = Dialog.findChild<TNEListView*>();
            const QString name = QFileInfo(Vault_).fileName();
            int item = list->Model().ItemCount() - 1;
            while (item >= 0 && list->Model().Item(item).Caption() != name)
                --item;
            if (item < 0) {
                CloseBox(Dialog);
                return;
            }
            SelectListItem(list, item);
            list->setFocus();
            QTest::keyClick(list, Qt::Key_Return);
        }
    }
    static void CloseBox(QWidget& Dialog)
    {
        if (auto* dialog = qobject_cast<QDialog*>(&Dialog))
            dialog->reject();
        else
            Dialog.close();
    }

    // Every login the window shows, with its real password, sorted.
    QStringList ShownLogins() const
    {
        QStringList rows;
        const TFenkList& list = Form_->List();
        for (int item = 0; item < list.Model().ItemCount(); ++item) {
            QStringList fields;
            for (int column = lcSiteName; column <= lcNote; ++column)
                fields.append(list.RowOf(item)->GetString(column));
            rows.append(fields.join(u'|'));
        }
        return SortedLogins(rows);
    }

    void RunMonkey()
    {
        std::size_t warmHeap = 0;
        for (int event = 0; event < EventCount; ++event) {
            EnsureVaultShown();
            if (HasFatalFailure())
                return;
            if (event == WarmUpEvents) {
                Discard();
                EnsureVaultShown();
                warmHeap = HeapInUse();
            }
            SendEvent();
            QCoreApplication::processEvents();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
        // Measured in the same state as when warm: a window just opened on the vault.
        Discard();
        EnsureVaultShown();
        const std::size_t endHeap = HeapInUse();
        EXPECT_LT(endHeap, warmHeap + HeapGrowthBound) << "warm " << warmHeap << ", at the end " << endHeap;
        std::cout << GetParam().Name << ": " << EventCount << " events, " << Driver_.AnsweredCount()
                  << " dialog answers, " << Reopened_ << " windows, heap " << warmHeap << " -> " << endHeap
                  << ", errors shown: " << Presenter_.Errors.join(QStringLiteral(" / ")).toStdString() << "\n";
    }

    const unsigned Seed_;
    std::mt19937 Random_;
    TTemporaryFolder Folder_;
    TPrivateHome Home_;
    const QString Vault_ = VaultFolder() + QStringLiteral("/monkey-vault.fkx");
    TRecordingPresenter Presenter_;
    TModalDriver Driver_;
    std::unique_ptr<TFenkForm> Form_;
    std::vector<std::pair<QPointer<QWidget>, int>> Tries_;
    int Reopened_ = 0;
};

} // namespace

// Random keys and clicks on the window, every dialog answered at random and the window opened again whenever it
// or its vault closes: nothing crashes, no foreign exception reaches the default handler, the heap stays stable,
// and the vault is written only by Save: untouched in the run that never saves, holding exactly the logins shown at
// the end in the one that does.
TEST_P(FenkMonkey, SurvivesRandomEventsAndWritesTheVaultOnlyOnSave)
{
    SCOPED_TRACE("FENK_MONKEY_SEED=" + std::to_string(Seed_));
    const auto original = VaultOnDisk();
    RunMonkey();
    if (HasFatalFailure())
        return;
    EXPECT_EQ(Presenter_.ForeignErrors, QStringList());

    if (!GetParam().MaySave) {
        Discard();
        EXPECT_EQ(VaultOnDisk(), original) << "the vault was written";
        return;
    }
    const QStringList shown = ShownLogins();
    if (Form_->Document().DocumentModified())
        QTest::keyClick(Form_.get(), Qt::Key_S, Qt::ControlModifier);
    ASSERT_FALSE(Form_->Document().DocumentModified()) << "the last save failed";
    Form_->close();
    Discard();
    TFenkDocument reopened{TFenkPasswordPrompt(&AnswerMasterPassword)};
    ASSERT_EQ(reopened.LoadFromFile(Vault_, false), TFenkLoadResult::Loaded);
    EXPECT_EQ(RowsOf(*reopened.LoginRowset()), shown);
}

INSTANTIATE_TEST_SUITE_P(Runs, FenkMonkey,
                         testing::Values(TMonkeyRun{"NeverSaving", false}, TMonkeyRun{"SavingSometimes", true}),
                         [](const testing::TestParamInfo<TMonkeyRun>& Run) { return std::string(Run.param.Name); });
