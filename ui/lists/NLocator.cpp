#include "ui/lists/NLocator.h"

#include "foundation/NFieldList.h"
#include "foundation/NFileUtilities.h"
#include "foundation/NLog.h"
#include "foundation/NTextUtilities.h"
#include "ui/actions/NActionButton.h"
#include "ui/lists/NListPanel.h"
#include "ui/lists/NPicker.h"
#include "ui/platform/NApplication.h"
#include "ui/platform/NDesktop.h"

#include <QDateTime>
#include <QDir>
#include <QFocusEvent>
#include <QLocale>
#include <QScopedValueRollback>
#include <QStandardPaths>

#include <algorithm>
#include <ctime>

namespace {

constexpr int Margin = 8;
constexpr int EditHeight = 21;
constexpr int MinimumLocatorSize = 400;
constexpr int NameColumnWidth = 120;
constexpr int TimeColumnWidth = 120;
constexpr int SortModeCount = 8;
constexpr TNEKeyCode vkF4 = vkF1 + 3;
constexpr TNEKeyCode vkF5 = vkF1 + 4;
constexpr TNEKeyCode vkF6 = vkF1 + 5;

const QString AllFiles = QStringLiteral("*.*");

template <typename Value> int ThreeWay(Value Left, Value Right)
{
    return (Left > Right) - (Left < Right);
}

QString WithTrailingSlash(const QString& Folder)
{
    return Folder.endsWith(u'/') ? Folder : Folder + u'/';
}

// An absolute folder with "." and ".." resolved and doubled slashes dropped, ending in "/". QDir::cleanPath keeps
// the ".." steps that climb above the root ("/../a"); the root is its own parent, so they go.
QString CleanFolder(const QString& Folder)
{
    QString clean = QDir::cleanPath(Folder);
    while (clean == u"/.." || clean.startsWith(u"/../"))
        clean.remove(0, 3);
    return clean.isEmpty() ? QStringLiteral("/") : WithTrailingSlash(clean);
}

// The texts of last modifications: local time in the locale's short date and time format, empty when unknown.
// The system turns a moment into local time many times faster than a QDateTime in local time does, which a
// folder of 10,000 files shows; Qt then only formats the reading. A format naming the zone takes Qt's way.
class TTimeTexts
{
public:
    TTimeTexts() : Format_(Locale_.dateTimeFormat(QLocale::ShortFormat)), NamesZone_(Format_.contains(u't')) {}

    QString operator()(qint64 LastWriteTime) const
    {
        if (LastWriteTime <= 0)
            return {};
        const time_t seconds = time_t(LastWriteTime / 1000);
        struct tm local = {};
        if (NamesZone_ || !::localtime_r(&seconds, &local))
            return Locale_.toString(QDateTime::fromMSecsSinceEpoch(LastWriteTime), QLocale::ShortFormat);
        // The reading itself, in a zone Qt does not convert from.
        const QDateTime reading(QDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday),
                                QTime(local.tm_hour, local.tm_min, local.tm_sec), Qt::UTC);
        return Locale_.toString(reading, Format_);
    }

private:
    const QLocale Locale_;
    const QString Format_;
    const bool NamesZone_;
};

// An extension as the masks hold it: trimmed, upper case, without control characters or characters no file name
// may hold.
QString CleanMask(const QString& Text)
{
    QString mask;
    for (const QChar character : Trim(Text).toUpper()) {
        if (character.category() != QChar::Other_Control && IsValidFileName(QStringView(&character, 1)))
            mask += character;
    }
    return mask;
}

// The text after the last ".", upper-cased; empty for a name without a dot.
QString ExtensionOf(const QString& Name)
{
    const qsizetype dot = Name.lastIndexOf(u'.');
    return dot < 0 ? QString() : Name.sliced(dot + 1).toUpper();
}

// An existing folder of the desktop's own, or empty.
QString ExistingFolder(const QString& Path)
{
    return !Path.isEmpty() && FolderExists(Path) ? Path : QString();
}

} // namespace

// A listed entry: its record, the caption shown, and the texts the sorting compares.
struct TNELocator::TEntry
{
    TNESearchRec Record;
    QString Caption;
    QString SortCaption;
    QString AttributeText;
};

TNELocatorController::TNELocatorController(TNEListView& List, TNELocator& Locator)
    : TNEListController(List), Locator_(Locator)
{
    List.SetColumnClick(true);
}

void TNELocatorController::ListKeyDown(TNEShortCut& Key)
{
    TNEListController::ListKeyDown(Key);
    switch (Key) {
    case ShortCut(vkEnter):
    case ShortCut(vkSpace):
        Key = 0;
        Locator_.OpenItem();
        break;
    case ShortCut(vkLeft):
        if (Locator_.IsCommandEnabled(&TNELocator::Up)) {
            Key = 0;
            Locator_.Controller().ExecuteAction(ListView(), Locator_.Handler(&TNELocator::Up));
        }
        break;
    case ShortCut(vkRight):
        if (!Locator_.IsCommandEnabled(&TNELocator::Ok)) {
            Key = 0;
            Locator_.OpenItem();
        }
        break;
    default:
        break;
    }
}

void TNELocatorController::ListMouseDown(Qt::MouseButton Button, Qt::KeyboardModifiers Modifiers, int X, int Y)
{
    TNEListController::ListMouseDown(Button, Modifiers, X, Y);
    if (Button == Qt::LeftButton && ListView() && ListView()->ItemAt(X, Y) >= 0)
        Locator_.OpenItem();
}

TNELocator::TNELocator(QObject* Owner) : TNEBaseFrame(Owner), Controller_(new TNEActionController(this))
{
    TNEForm& form = Form();
    Window_ = &form;
    form.setWindowTitle(QStringLiteral("Locating"));
    form.SetKeyPreview(true);
    form.setMinimumSize(MinimumLocatorSize, MinimumLocatorSize);
    form.OnKeyDown = {this, &TNELocator::FormKeyDown};

    Controller_->SetActionLock(new TNEActionLock(Controller_));
    AddCommands();
    CommandPanel_ = CreateCommandOutline(*Controller_, Margin, ActionView_);

    PathEdit_ = new TNEOpaqueEdit(&form);
    PathEdit_->setGeometry(0, Margin, 0, EditHeight);
    PathEdit_->installEventFilter(this);
    connect(PathEdit_, &QLineEdit::textEdited, this, [this] { PathChanged_ = true; });

    ListPanel_ = new TNEListPanel(&form);
    ListView_ = new TNEListView(ListPanel_);
    TNEListModel& model = ListView_->Model();
    model.AddColumn(QStringLiteral("Name"), NameColumnWidth);
    model.AddColumn(QStringLiteral("Time"), TimeColumnWidth);
    model.AddColumn(QStringLiteral("Size"), 100, caRight);
    model.AddColumn(QStringLiteral("Attributes"), 100);
    const QColor listColor = ListView_->palette().color(QPalette::Base);
    for (const int glyph : {16, 25, 24, 23}) // folder, accepted, chosen and other file
        AddShadedGlyph(Images_, glyph, listColor, true);
    ListView_->SetSmallImages(&Images_);
    ListController_ = std::make_unique<TNELocatorController>(*ListView_, *this);
    ListView_->OnColumnClick = {this, &TNELocator::ColumnClicked};
    ListView_->OnSelectItem = {this, &TNELocator::SelectItem};
    model.SetCompare([this](const TNEListItem& Left, const TNEListItem& Right) {
        return CompareEntries(*Left.Data().Pointer<const TEntry>(), *Right.Data().Pointer<const TEntry>());
    });
    ListPanel_->AttachList(ListView_);
    SetSortMode(SortMode_);

    FileNameEdit_ = new TNEOpaqueEdit(&form);
    FileNameEdit_->setEnabled(false);
    connect(FileNameEdit_, &QLineEdit::textChanged, this, [this] { RunEventHandler([this] { UpdateOk(); }); });

    form.installEventFilter(this);
    LayOut();
    form.SetActiveControl(ListView_);
}

TNELocator::~TNELocator()
{
    // The form goes after this part of the frame: nothing it does on the way may call in here any more.
    if (Window_) {
        Window_->removeEventFilter(this);
        PathEdit_->removeEventFilter(this);
    }
    ListController_.reset();
}

TNEActionHandler TNELocator::Handler(void (TNELocator::*Command)(QObject*)) const
{
    // A handler only names its command here; it runs on the locator, which is never const while it does.
    return {const_cast<TNELocator*>(this), Command};
}

bool TNELocator::IsCommandEnabled(void (TNELocator::*Command)(QObject*)) const
{
    return Controller_->IsActionEnabled(Handler(Command));
}

void TNELocator::AddCommands()
{
    const struct
    {
        int Glyph;
        const char* Caption;
        void (TNELocator::*Command)(QObject*);
        TNEShortCut Key;
        const char* Hint;
    } commands[] = {
        {2, "Up", &TNELocator::Up, ShortCut(vkBackspace), "Up to the folder one level above"},
        {26, "&Drives...", &TNELocator::Drives, ShortCut(vkF4), "Pick drive"},
        {1, "Desktop", &TNELocator::Desktop, ShortCut(vkHome, scShift | scAlt), "Change to desktop"},
        {1, "Home", &TNELocator::Home, ShortCut(vkHome, scAlt), "Change to home folder"},
        {7, "New &Folder...", &TNELocator::NewFolder, ShortCut(vkInsert, scShift), "Create a new folder"},
        {11, "Refresh", &TNELocator::Refresh, ShortCut(vkF5), "Refresh the file list"},
        {5, "OK", &TNELocator::Ok, ShortCut(vkEnter, scCtrl), "Accept and close the window"},
        {6, "Cancel", &TNELocator::Cancel, ShortCut(vkEscape), "Discard changes and close the window"},
    };
    for (const auto& command : commands) {
        const bool isBrowsing = command.Command != &TNELocator::Ok && command.Command != &TNELocator::Cancel;
        Controller_->AddAction(command.Glyph, QString::fromLatin1(command.Caption), Handler(command.Command),
                               command.Key, QString::fromLatin1(command.Hint), isBrowsing);
    }
}

void TNELocator::LayOut()
{
    const int clientWidth = Form().width();
    const int clientHeight = Form().height();
    CommandPanel_->resize(CommandPanel_->width(), clientHeight - 2 * Margin);
    const int left = CommandPanel_->width() + 2 * Margin;
    const int width = clientWidth - CommandPanel_->width() - 3 * Margin;
    PathEdit_->setGeometry(left, Margin, width, EditHeight);
    ListPanel_->setGeometry(left, PathEdit_->height() + 2 * Margin, width,
                            clientHeight - PathEdit_->height() - EditHeight - 4 * Margin);
    FileNameEdit_->setGeometry(left, clientHeight - EditHeight - Margin, width, EditHeight);
}

bool TNELocator::eventFilter(QObject* Watched, QEvent* Event)
{
    if (Watched == Window_ && Event->type() == QEvent::Resize) {
        LayOut();
    } else if (Watched == PathEdit_ && (Event->type() == QEvent::FocusIn || Event->type() == QEvent::FocusOut)) {
        // Focus coming and going with the window, or hidden with it, is no entering or leaving of the box.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(Event)->reason();
        if (Form().isVisible() && reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
            const bool entered = Event->type() == QEvent::FocusIn;
            RunEventHandler([this, entered] { entered ? PathEntered() : PathLeft(); });
        }
    }
    return TNEBaseFrame::eventFilter(Watched, Event);
}

void TNELocator::SetSortMode(int Mode)
{
    SortMode_ = std::clamp(Mode, 0, SortModeCount - 1);
    ListView_->SetSortColumn(SortMode_ / 2);
    ListView_->SetSortDirection(SortMode_ % 2);
    ListView_->Model().Sort();
    if (const int focused = ListView_->FocusedItem(); focused >= 0)
        ListView_->MakeItemVisible(focused);
}

void TNELocator::ColumnClicked(int Column)
{
    // The same column turns its direction round; another one keeps the direction.
    const int direction = Column == SortMode_ / 2 ? 1 - SortMode_ % 2 : SortMode_ % 2;
    SetSortMode(Column * 2 + direction);
}

int TNELocator::CompareEntries(const TEntry& Left, const TEntry& Right) const
{
    if (Left.Record.IsFolder() != Right.Record.IsFolder())
        return Left.Record.IsFolder() ? -1 : 1;
    const auto compareColumn = [&Left, &Right](int Column) {
        switch (Column) {
        case 0:
            return ThreeWay(Left.SortCaption.compare(Right.SortCaption), 0);
        case 1:
            return ThreeWay(Left.Record.LastWriteTime, Right.Record.LastWriteTime);
        case 2:
            return ThreeWay(Left.Record.Size, Right.Record.Size);
        default:
            return ThreeWay(QString::localeAwareCompare(Left.AttributeText, Right.AttributeText), 0);
        }
    };
    int order = compareColumn(SortMode_ / 2);
    if (SortMode_ % 2 == 0)
        order = -order;
    // Equal keys: caption, time, size and attributes, each ascending.
    for (int column = 0; order == 0 && column < 4; ++column)
        order = compareColumn(column);
    return order;
}

void TNELocator::SetPath(const QString& Text)
{
    QString path = Trim(Text);
    if (const qsizetype separator = Text.indexOf(u';'); separator >= 0)
        path = Trim(QStringView(Text).first(separator));
    if (path.isEmpty())
        path = AllFiles;
    path = AbsolutePath(path);
    const qsizetype slash = path.lastIndexOf(u'/');
    QString folder = path.first(slash + 1);
    QString mask = path.sliced(slash + 1);
    if (!mask.isEmpty() && FolderExists(folder + mask)) {
        folder += mask + u'/';
        mask.clear();
    }
    // A path without a mask lists every file.
    FileMask_ = mask.isEmpty() ? AllFiles : mask;
    // Resolved the way the path box shows the folder afterwards.
    folder = CleanFolder(folder);
    Root_ = QStringLiteral("/");
    Folder_ = folder.sliced(1);
}

QString TNELocator::AbsolutePath(const QString& Path) const
{
    if (Path == u"~" || Path.startsWith(u"~/"))
        return QDir::homePath() + Path.sliced(1);
    if (Path.startsWith(u'/'))
        return Path;
    const QString current = Root_.isEmpty() ? WithTrailingSlash(QDir::currentPath()) : Root_ + Folder_;
    return current + Path;
}

void TNELocator::SetMasks(const QString& Text)
{
    Masks_.clear();
    for (qsizetype position = 0; position < Text.size();) {
        const QString mask = CleanMask(NextItem(position, Text));
        if (!mask.isEmpty())
            Masks_.append(mask);
    }
}

QString TNELocator::Masks() const
{
    return JoinItems(Masks_);
}

bool TNELocator::IsFileAccepted(const TNESearchRec& Entry) const
{
    if (Entry.IsFolder())
        return false;
    return Masks_.isEmpty() || Masks_.contains(ExtensionOf(Entry.Name));
}

QString TNELocator::Execute()
{
    ResultPath_.clear();
    Controller_->SetActionEnabled(SaveMode, Handler(&TNELocator::NewFolder));
    FileNameEdit_->setEnabled(SaveMode);
    Form().SetActiveControl(SaveMode ? static_cast<QWidget*>(FileNameEdit_) : ListView_);
    // Listed as the form shows, on the file named in the box when there is one.
    const QString typedName = FileNameEdit_->text();
    SetPath(Root_ + Folder_ + FileMask_);
    Fill(typedName);
    ShowModal();
    ClearItems();
    return ResultPath_;
}

void TNELocator::ClearItems()
{
    ListView_->Model().ClearItems();
    Entries_.clear();
}

void TNELocator::Fill(const QString& FocusName)
{
    const TNEHourglass hourglass;
    TNEListModel& model = ListView_->Model();
    {
        const TNEListUpdate update(model);
        ClearItems();
        // Outside SaveMode the box only ever names a file of the listed folder.
        if (!SaveMode)
            FileNameEdit_->clear();
        UpdateUp();
        const TNEFileMask mask(FileMask_);
        std::vector<TNESearchRec> records = ReadFolder(Root_ + Folder_);
        Entries_.reserve(records.size());
        for (TNESearchRec& record : records) {
            if (record.IsFolder() ? record.Name.startsWith(u'.') : !mask.Matches(record.Name))
                continue;
            QString caption = record.Name;
            bool accept = true;
            if (OnFilter)
                OnFilter(*this, record, caption, accept);
            if (!accept)
                continue;
            QString sortCaption = caption.toUpper();
            QString attributeText = AttributeLetters(record.Attributes);
            Entries_.push_back(
                {std::move(record), std::move(caption), std::move(sortCaption), std::move(attributeText)});
        }
        // The items point into the entries, which stay where they are from here on.
        TNEColumnSizer sizer(*ListView_);
        const TTimeTexts timeText;
        for (const TEntry& entry : Entries_) {
            const TNESearchRec& record = entry.Record;
            const int image = record.IsFolder() ? liFolder : IsFileAccepted(record) ? liAcceptedFile : liOtherFile;
            const QString size = record.IsFolder() ? QString() : FormatThousands(record.Size);
            sizer.MeasureItem(model.AddItem({entry.Caption, timeText(record.LastWriteTime), size, entry.AttributeText},
                                            TNEItemData(&entry), image));
        }
        // Names and times widen their columns to fit; sizes and attributes fit theirs as they are.
        model.SetColumnWidth(0, std::max(NameColumnWidth, sizer.Widths()[0]));
        model.SetColumnWidth(1, std::max(TimeColumnWidth, sizer.Widths()[1]));
    }
    // Sorted now: the first item is the first one shown.
    SelectListItem(ListView_, FindFocusItem(FocusName));
    PathEdit_->setText(Root_ + Folder_ + FileMask_);
    UpdateOk();
}

int TNELocator::FindFocusItem(const QString& FocusName) const
{
    if (FocusName.isEmpty())
        return -1;
    const TNEListModel& model = ListView_->Model();
    int similar = -1;
    for (int item = 0; item < model.ItemCount(); ++item) {
        const TEntry& entry = *model.Item(item).Data().Pointer<const TEntry>();
        if (entry.Record.Name == FocusName)
            return item;
        if (similar < 0 && (entry.Record.Name.compare(FocusName, Qt::CaseInsensitive) == 0 ||
                            entry.Caption.compare(FocusName, Qt::CaseInsensitive) == 0))
            similar = item;
    }
    return similar;
}

const TNESearchRec* TNELocator::ItemRecord(int Item) const
{
    const TNEListModel& model = ListView_->Model();
    if (Item < 0 || Item >= model.ItemCount())
        return nullptr;
    return &model.Item(Item).Data().Pointer<const TEntry>()->Record;
}

void TNELocator::OpenItem()
{
    const TNESearchRec* record = ItemRecord(ListView_->FocusedItem());
    if (!record)
        return;
    if (record->IsFolder()) {
        Folder_ += record->Name + u'/';
        Fill();
        Form().SetActiveControl(ListView_);
    } else if (!IsFileAccepted(*record)) {
        return;
    } else if (SaveMode) {
        FileNameEdit_->setText(record->Name);
    } else {
        ResultPath_ = Root_ + Folder_ + record->Name;
        Form().accept();
    }
}

void TNELocator::SelectItem(int Item, bool Selected)
{
    const TNESearchRec* record = ItemRecord(Item);
    if (!record)
        return;
    {
        const QScopedValueRollback<bool> updating(Updating_, true);
        TNEListModel& model = ListView_->Model();
        if (Selected && IsFileAccepted(*record)) {
            model.SetItemImage(Item, liChosenFile);
            if (!SaveMode)
                FileNameEdit_->setText(record->Name);
        } else {
            if (model.Item(Item).ImageIndex() == liChosenFile)
                model.SetItemImage(Item, liAcceptedFile);
            if (!SaveMode)
                FileNameEdit_->clear();
        }
    }
    UpdateOk();
}

void TNELocator::UpdateUp()
{
    Controller_->SetActionEnabled(!Folder_.isEmpty() && Form().ActiveControl() != PathEdit_, Handler(&TNELocator::Up));
}

void TNELocator::UpdateOk()
{
    if (!Updating_)
        Controller_->SetActionEnabled(IsNameAcceptable(FileNameEdit_->text()), Handler(&TNELocator::Ok));
}

bool TNELocator::IsNameAcceptable(const QString& Name) const
{
    if (Form().ActiveControl() == PathEdit_ || Name.isEmpty() || !IsValidFileName(Name))
        return false;
    if (Masks_.isEmpty()) {
        // Without masks any name of a file will do.
        if (Name == u"." || Name == u"..")
            return false;
    } else {
        const QString extension = ExtensionOf(Name);
        if (extension.isEmpty() || !Masks_.contains(extension) || Name.size() == extension.size() + 1)
            return false;
    }
    return !FolderExists(Root_ + Folder_ + Name);
}

void TNELocator::ApplyPathText()
{
    PathChanged_ = false;
    SetPath(PathEdit_->text());
    Fill();
}

void TNELocator::PathEntered()
{
    Controller_->SetActionEnabled(false, Handler(&TNELocator::Up));
    Controller_->SetActionEnabled(false, Handler(&TNELocator::Ok));
    PathChanged_ = false;
}

void TNELocator::PathLeft()
{
    UpdateUp();
    if (PathChanged_)
        ApplyPathText();
    UpdateOk();
}

void TNELocator::MoveFocus(bool Backward)
{
    std::vector<QWidget*> cycle = {PathEdit_, ListView_};
    if (SaveMode)
        cycle.push_back(FileNameEdit_);
    QWidget* active = Form().ActiveControl();
    const auto at = std::find(cycle.begin(), cycle.end(), active);
    QWidget* target = Backward && SaveMode ? FileNameEdit_ : PathEdit_;
    if (at != cycle.end()) {
        const std::size_t index = std::size_t(at - cycle.begin());
        target = cycle[(index + (Backward ? cycle.size() - 1 : 1)) % cycle.size()];
    }
    if (active == PathEdit_)
        ApplyPathText();
    Form().SetActiveControl(target);
}

void TNELocator::ChangeFolder(const QString& Folder)
{
    PathEdit_->setText(WithTrailingSlash(Folder) + FileMask_);
    ApplyPathText();
    FocusForEntry();
}

void TNELocator::FocusForEntry()
{
    Form().SetActiveControl(SaveMode ? static_cast<QWidget*>(FileNameEdit_) : ListView_);
}

void TNELocator::FormKeyDown(TNEShortCut& Key)
{
    QWidget* active = Form().ActiveControl();
    const bool editsName = active == FileNameEdit_ && Key == ShortCut(vkBackspace);
    if (!editsName && Controller_->ExecuteShortCut(Key)) {
        Key = 0;
        return;
    }
    if (ShortCutKey(Key) == vkF6 && (ShortCutModifiers(Key) & ~scShift) == 0) {
        const bool backward = ShortCutModifiers(Key) == scShift;
        Key = 0;
        MoveFocus(backward);
    } else if (active == PathEdit_ && Key == ShortCut(vkEnter)) {
        Key = 0;
        ApplyPathText();
        Form().SetActiveControl(ListView_);
    } else if (active == PathEdit_ && Key == ShortCut(vkDown)) {
        Key = 0;
        Form().SetActiveControl(ListView_);
    } else if (active == FileNameEdit_ && Key == ShortCut(vkEnter)) {
        // A typed name is taken as a file dialog takes it; OK says whether it will do.
        Key = 0;
        if (IsCommandEnabled(&TNELocator::Ok))
            Controller_->ExecuteAction(FileNameEdit_, Handler(&TNELocator::Ok));
    }
}

void TNELocator::Up(QObject*)
{
    if (Folder_.isEmpty())
        return;
    QString parent = Folder_.chopped(1);
    const QString left = SplitLast(u'/', parent);
    Folder_ = parent.isEmpty() ? QString() : parent + u'/';
    Fill(left);
}

void TNELocator::Drives(QObject*)
{
    std::vector<TNEVolume> volumes;
    QString entries;
    int current = -1;
    {
        const TNEHourglass hourglass;
        volumes = PickableVolumes();
        const QString here = Root_ + Folder_;
        qsizetype deepest = -1;
        for (std::size_t index = 0; index < volumes.size(); ++index) {
            const TNEVolume& volume = volumes[index];
            AppendItem(entries,
                       volume.Label.isEmpty() ? volume.Path : QStringLiteral("%1 (%2)").arg(volume.Path, volume.Label));
            if (here.startsWith(WithTrailingSlash(volume.Path)) && volume.Path.size() > deepest) {
                deepest = volume.Path.size();
                current = int(index);
            }
        }
    }
    TNEPicker picker(this);
    picker.Form().setWindowTitle(QStringLiteral("Pick Drive"));
    picker.SetSorted(false);
    const int chosen = picker.Execute(current, entries);
    if (chosen >= 0)
        ChangeFolder(volumes[std::size_t(chosen)].Path);
}

void TNELocator::Desktop(QObject*)
{
    if (const QString folder = ExistingFolder(QStandardPaths::writableLocation(QStandardPaths::DesktopLocation));
        !folder.isEmpty())
        ChangeFolder(folder);
}

void TNELocator::Home(QObject*)
{
    QString folder = ExistingFolder(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
    if (folder.isEmpty())
        folder = ExistingFolder(QDir::homePath());
    if (!folder.isEmpty())
        ChangeFolder(folder);
}

void TNELocator::NewFolder(QObject*)
{
    if (!SaveMode)
        return;
    TNEPromptText prompt(this);
    prompt.Caption = QStringLiteral("New Folder Name");
    QString name;
    if (!prompt.Execute(name))
        return;
    name = Trim(name);
    name = name.sliced(name.lastIndexOf(u'/') + 1);
    if (name.isEmpty() || name.startsWith(u'.') || !QDir().mkpath(Root_ + Folder_ + name)) {
        ShowNotice(QStringLiteral("Unable to create folder: \"%1\"").arg(name), mkError, true);
        return;
    }
    // The new folder is opened straight away, also when a filter would not list it.
    Folder_ += name + u'/';
    Fill();
    Form().SetActiveControl(ListView_);
}

void TNELocator::Refresh(QObject*)
{
    const TNESearchRec* focused = ItemRecord(ListView_->FocusedItem());
    const QString focusName = focused ? focused->Name : QString();
    PathChanged_ = false;
    SetPath(PathEdit_->text());
    Fill(focusName);
    FocusForEntry();
}

void TNELocator::Ok(QObject*)
{
    if (const QString name = FileNameEdit_->text(); !name.isEmpty())
        ResultPath_ = Root_ + Folder_ + name;
    Form().accept();
}

void TNELocator::Cancel(QObject*)
{
    Form().reject();
}
