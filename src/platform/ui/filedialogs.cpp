#include "platform/ui/filedialogs.h"

#include <QFileDialog>
#include <QLineEdit>
#include <algorithm>

#include "platform/component/properties.h"
#include "platform/core/text.h"
#include "platform/system/files.h"
#include "platform/system/paths.h"
#include "platform/ui/dialogs.h"
#include "platform/ui/qt_bridge.h"

namespace plat {

namespace {

std::vector<std::string> splitOn(const std::string& text, char sep) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        size_t p = text.find(sep, start);
        parts.push_back(text.substr(start, p == std::string::npos ? std::string::npos : p - start));
        if (p == std::string::npos) return parts;
        start = p + 1;
    }
}

// Qt reads the patterns from the description's last parentheses.
QString qtNameFilter(const TFileFilter& f) {
    std::string patterns = f.Patterns;
    std::replace(patterns.begin(), patterns.end(), ';', ' ');
    const std::string& d = f.Description;
    const size_t open = d.rfind('(');
    if (open != std::string::npos && !d.empty() && d.back() == ')') {
        std::string inside = d.substr(open + 1, d.size() - open - 2);
        std::replace(inside.begin(), inside.end(), ';', ' ');
        if (Trim(inside) == Trim(patterns)) return Q(d);
    }
    return Q(d + " (" + patterns + ")");
}

// Control characters make no file name worth writing (a NUL would cut it).
bool hasControlChars(const std::string& name) {
    return std::any_of(name.begin(), name.end(),
                       [](char c) { return (unsigned char)c < 0x20 || c == 0x7F; });
}

}  // namespace

std::vector<TFileFilter> ParseFileFilter(const std::string& filter) {
    std::vector<TFileFilter> out;
    if (filter.empty()) return out;
    std::vector<std::string> parts = splitOn(filter, '|');
    for (size_t i = 0; i + 1 < parts.size(); i += 2) out.push_back({parts[i], parts[i + 1]});
    return out;
}

std::string WithDefaultExt(const std::string& fileName, const std::string& defaultExt) {
    std::string ext = defaultExt;
    if (!ext.empty() && ext.front() == '.') ext.erase(0, 1);
    if (ext.empty() || fileName.empty() || IsPathDelimiter(fileName.back())) return fileName;
    if (ExtractFileName(fileName).find('.') != std::string::npos) return fileName;
    return fileName + "." + ext;
}

// ---- the chooser form ----

TFileDialogForm::TFileDialogForm(const TSaveDialog& settings) : TForm(nullptr) {
    SetName("FileDialog");
    SetCaption(settings.Title.empty() ? "Save As" : settings.Title);
    Position = TPosition::poScreenCenter;
    fileName_ = settings.FileName;
    defaultExt_ = settings.DefaultExt;
    overwritePrompt_ = settings.Options.Contains(TOpenOption::ofOverwritePrompt);

    chooser_ = new QFileDialog(ClientWidget());
    // A dialog is a window of its own unless told to be a child.
    chooser_->setWindowFlags(Qt::Widget);
    // Our own overwrite question goes through the message dialogs tests answer.
    chooser_->setOption(QFileDialog::DontUseNativeDialog, true);
    chooser_->setOption(QFileDialog::DontConfirmOverwrite, true);
    chooser_->setAcceptMode(QFileDialog::AcceptSave);
    chooser_->setFileMode(QFileDialog::AnyFile);
    QStringList filters;
    for (const TFileFilter& f : ParseFileFilter(settings.Filter)) filters << qtNameFilter(f);
    if (!filters.isEmpty()) {
        chooser_->setNameFilters(filters);
        const int index = std::clamp(settings.FilterIndex, 1, (int)filters.size()) - 1;
        chooser_->selectNameFilter(filters[index]);
    }
    std::string folder = settings.InitialDir;
    if (folder.empty()) folder = ExtractFilePath(settings.FileName);
    if (!folder.empty() && DirectoryExists(folder)) chooser_->setDirectory(Q(NativePath(folder)));
    if (!settings.FileName.empty()) chooser_->selectFile(Q(ExtractFileName(settings.FileName)));
    QObject::connect(chooser_, &QFileDialog::fileSelected, [this](const QString& name) {
        fileName_ = S(name);
        Accept();
    });
    QObject::connect(chooser_, &QDialog::rejected, [this] { SetModalResult(mrCancel); });

    const QSize hint = chooser_->sizeHint();
    SetClientWidth(std::max(600, hint.width()));
    SetClientHeight(std::max(380, hint.height()));
    chooser_->setGeometry(0, 0, ClientWidth(), ClientHeight());
    chooser_->show();
}

void TFileDialogForm::SetFileName(const std::string& name) {
    fileName_ = name;
    // Shown as typed; the folder part is the chooser's business.
    if (auto* edit = chooser_->findChild<QLineEdit*>("fileNameEdit"))
        edit->setText(Q(ExtractFileName(name)));
}

void TFileDialogForm::Accept() {
    SetModalResult(mrOk);
}

bool TFileDialogForm::acceptable() {
    if (fileName_.empty()) return false;
    if (hasControlChars(fileName_) || !IsValidUtf8(fileName_)) {
        MessageDlg("The file name is not valid.", TMsgDlgType::mtError, {TMsgDlgBtn::mbOK});
        return false;
    }
    const std::string name = WithDefaultExt(fileName_, defaultExt_);
    if (overwritePrompt_ && FileExists(name) &&
        MessageDlg(name + " already exists.\nDo you want to replace it?", TMsgDlgType::mtWarning,
                   {TMsgDlgBtn::mbYes, TMsgDlgBtn::mbNo}) != mrYes)
        return false;
    fileName_ = name;
    return true;
}

void TFileDialogForm::DoClose(TCloseAction& action) {
    TForm::DoClose(action);
    if (action == TCloseAction::caNone || ModalResult() != mrOk || acceptable()) return;
    // Back to the chooser, which hid itself when it accepted.
    action = TCloseAction::caNone;
    chooser_->show();
}

void TFileDialogForm::Resize() {
    TForm::Resize();
    if (chooser_) chooser_->setGeometry(0, 0, ClientWidth(), ClientHeight());
}

// ---- the component ----

bool TSaveDialog::Execute() {
    auto* form = new TFileDialogForm(*this);
    TModalResult result = mrCancel;
    try {
        result = form->ShowModal();
    } catch (...) {
        if (IsLiveControl(form)) form->Free();
        throw;
    }
    if (!IsLiveControl(form)) return false;
    const bool chosen = result == mrOk && !form->FileName().empty();
    if (chosen) FileName = form->FileName();
    form->Free();
    return chosen;
}

PLAT_PUBLISH(TSaveDialog) {
    p.Prop("FileName", &TSaveDialog::FileName);
    p.Prop("Filter", &TSaveDialog::Filter);
    p.Prop("FilterIndex", &TSaveDialog::FilterIndex);
    p.Prop("DefaultExt", &TSaveDialog::DefaultExt);
    p.Prop("InitialDir", &TSaveDialog::InitialDir);
    p.Prop("Title", &TSaveDialog::Title);
    p.Prop("Options", &TSaveDialog::Options);
}

}  // namespace plat
