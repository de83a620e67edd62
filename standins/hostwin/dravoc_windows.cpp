#include "standins/hostwin/dravoc_windows.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QDate>
#include <QDialogButtonBox>
#include <QFontMetrics>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>

#include "platform/core/exceptions.h"
#include "platform/core/text.h"

namespace standin {

namespace {

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}
QString Q(HostText text, HostLanguage language) {
    return Q(HostTextOf(text, language));
}

void AddButtons(QDialog& dialog, QVBoxLayout* layout, HostLanguage language) {
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Ok)->setText(Q(HostText::Ok, language));
    buttons->button(QDialogButtonBox::Cancel)->setText(Q(HostText::Cancel, language));
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
}

QLocale LocaleOf(HostLanguage language) {
    switch (language) {
        case HostLanguage::Traditional:
            return QLocale(QLocale::Chinese, QLocale::TraditionalChineseScript, QLocale::Taiwan);
        case HostLanguage::English:
            return QLocale(QLocale::English, QLocale::UnitedStates);
        default:
            return QLocale(QLocale::Chinese, QLocale::SimplifiedChineseScript, QLocale::China);
    }
}

}  // namespace

// ---- the lookup window's rows ----------------------------------------------------

class LookupRowsModel : public QAbstractTableModel {
  public:
    LookupRowsModel(std::shared_ptr<IHostLookups> lookups, LookupPageRequest request,
                    HostLanguage language, TextConversion toInterface, QObject* parent)
        : QAbstractTableModel(parent),
          lookups_(std::move(lookups)),
          request_(std::move(request)),
          language_(language),
          toInterface_(std::move(toInterface)) {}

    // Starts again from the first page with another filter.
    void Reload(const std::string& filter) {
        beginResetModel();
        request_.filter = filter;
        request_.offset = 0;
        page_ = lookups_->LookupPage(request_);
        if (captions_.empty()) {
            captions_ = LookupCaptions(page_, language_, toInterface_);
            returned_ = ReturnColumns(page_);
            maps_ = LookupValueMaps(page_);
        }
        endResetModel();
    }
    const LookupRows& Page() const { return page_; }
    const std::vector<size_t>& Returned() const { return returned_; }

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : (int)page_.rows.size();
    }
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : (int)page_.columns.size();
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::ToolTipRole)) return {};
        const auto& row = page_.rows[(size_t)index.row()];
        if ((size_t)index.column() >= row.size()) return {};
        const plat::Variant& v = row[(size_t)index.column()];
        std::string text = v.IsNull() ? std::string() : plat::VarToStr(v);
        const std::string shown = MappedText(maps_, (size_t)index.column(), text);
        const bool mapped = shown != text;
        text = shown;
        if ((v.IsText() || mapped) && language_ == HostLanguage::Traditional && toInterface_)
            text = toInterface_(text);
        return Q(text);
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (role != Qt::DisplayRole) return {};
        if (orientation == Qt::Vertical) return section + 1;
        return (size_t)section < captions_.size() ? Q(captions_[(size_t)section]) : QVariant();
    }
    bool canFetchMore(const QModelIndex& parent) const override {
        return !parent.isValid() && page_.more;
    }
    void fetchMore(const QModelIndex& parent) override {
        if (parent.isValid() || !page_.more) return;
        request_.offset = (int64_t)page_.rows.size();
        LookupRows next = lookups_->LookupPage(request_);
        if (next.rows.empty()) {
            page_.more = false;
            return;
        }
        beginInsertRows({}, (int)page_.rows.size(),
                        (int)(page_.rows.size() + next.rows.size()) - 1);
        for (auto& r : next.rows) page_.rows.push_back(std::move(r));
        page_.more = next.more;
        endInsertRows();
    }

  private:
    std::shared_ptr<IHostLookups> lookups_;
    LookupPageRequest request_;
    HostLanguage language_;
    TextConversion toInterface_;
    LookupRows page_;
    std::vector<std::string> captions_;
    std::vector<size_t> returned_;
    ValueMaps maps_;
};

// ---- the lookup window ---------------------------------------------------------

LookupWindow::LookupWindow(std::shared_ptr<IHostLookups> lookups,
                           const LookupWindowRequest& request, HostLanguage language,
                           TextConversion toInterface, TextConversion toStored, QWidget* parent)
    : QDialog(parent),
      lookups_(std::move(lookups)),
      request_(request),
      language_(language),
      toStored_(std::move(toStored)) {
    setObjectName("HostLookupWindow");
    setWindowTitle(Q(HostText::LookupTitle, language) + " - " +
                   Q(request.table + " " + request.query));
    LookupPageRequest page;
    page.kind = request.table;
    page.subKind = request.query;
    page.params = request.params;
    page.pinyin = language != HostLanguage::English;
    page.count = kPageRows;
    const TextConversion shownText = toInterface;
    model_ = new LookupRowsModel(lookups_, page, language, std::move(toInterface), this);

    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    auto* label = new QLabel(Q(HostText::Filter, language));
    filter_ = new QLineEdit;
    filter_->setObjectName("filter");
    filter_->setPlaceholderText(Q(HostText::FilterHint, language));
    label->setBuddy(filter_);
    top->addWidget(label);
    top->addWidget(filter_, 1);
    layout->addLayout(top);

    grid_ = new QTableView;
    grid_->setObjectName("rows");
    grid_->setModel(model_);
    grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid_->setSelectionMode(request.several ? QAbstractItemView::ExtendedSelection
                                            : QAbstractItemView::SingleSelection);
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->setAlternatingRowColors(true);
    grid_->verticalHeader()->setDefaultSectionSize(grid_->fontMetrics().height() + 6);
    grid_->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(grid_, 1);

    count_ = new QLabel;
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(count_, 1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Ok)->setText(Q(HostText::Ok, language));
    buttons->button(QDialogButtonBox::Cancel)->setText(Q(HostText::Cancel, language));
    buttons->button(QDialogButtonBox::Ok)->setAutoDefault(false);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] { choose(); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    bottom->addWidget(buttons);
    layout->addLayout(bottom);

    delay_ = new QTimer(this);
    delay_->setSingleShot(true);
    delay_->setInterval(150);
    connect(delay_, &QTimer::timeout, this, [this] { ApplyFilter(); });
    connect(filter_, &QLineEdit::textEdited, this, [this] { delay_->start(); });
    connect(grid_, &QAbstractItemView::doubleClicked, this, [this] { choose(); });
    filter_->installEventFilter(this);
    grid_->installEventFilter(this);

    // A completion that did not find one row opens on what was typed (the
    // stored text, shown in the interface's script).
    const std::string start = request.complete ? CompletionText(request) : std::string();
    filter_->setText(
        Q(language == HostLanguage::Traditional && shownText ? shownText(start) : start));
    model_->Reload(start);
    grid_->resizeColumnsToContents();
    for (int c = 0; c < model_->columnCount(); ++c)
        grid_->setColumnWidth(c, std::min(grid_->columnWidth(c), 260));
    // Amounts and prices the user has no right to are not shown.
    for (size_t c : HiddenColumns(model_->Page(), request.amounts, request.prices))
        grid_->setColumnHidden((int)c, true);
    // The row the field holds, when it is on the first page.
    int current = 0;
    const std::string text = plat::Trim(request.text);
    const auto& returned = model_->Returned();
    if (!text.empty() && !returned.empty())
        for (size_t r = 0; r < model_->Page().rows.size(); ++r)
            if (plat::VarToStr(model_->Page().rows[r][returned[0]]) == text) {
                current = (int)r;
                break;
            }
    if (model_->rowCount() > 0) grid_->selectRow(current);
    showCount();
    filter_->setFocus();
    int width = grid_->verticalHeader()->width() + 24;
    for (int c = 0; c < model_->columnCount(); ++c)
        if (!grid_->isColumnHidden(c)) width += grid_->columnWidth(c);
    resize(std::clamp(width, 480, 960), 420);
}

LookupWindow::~LookupWindow() = default;

int LookupWindow::RowCount() const {
    return model_->rowCount();
}

void LookupWindow::ApplyFilter() {
    delay_->stop();
    std::string text = filter_->text().trimmed().toStdString();
    if (language_ == HostLanguage::Traditional && toStored_) text = toStored_(text);
    model_->Reload(text);
    if (model_->rowCount() > 0) grid_->selectRow(0);
    showCount();
}

void LookupWindow::showCount() {
    const int n = model_->rowCount();
    const QString text = Q(model_->Page().more ? HostText::MoreRows : HostText::Rows, language_);
    count_->setText(text.arg(n));
}

void LookupWindow::choose() {
    if (delay_->isActive()) ApplyFilter();
    std::vector<int> rows;
    for (const QModelIndex& i : grid_->selectionModel()->selectedRows()) rows.push_back(i.row());
    if (rows.empty() && grid_->currentIndex().isValid())
        rows.push_back(grid_->currentIndex().row());
    if (rows.empty()) return;
    std::sort(rows.begin(), rows.end());
    std::vector<std::vector<plat::Variant>> chosen;
    for (int r : rows) chosen.push_back(model_->Page().rows[(size_t)r]);
    reply_ = LookupReply(chosen, model_->Returned());
    accept();
}

bool LookupWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return QDialog::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    switch (key->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            choose();
            return true;
        case Qt::Key_Escape:
            reject();
            return true;
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
            if (watched == filter_) {
                // The filter line keeps the focus; the grid moves.
                if (delay_->isActive()) ApplyFilter();
                QApplication::sendEvent(grid_, event);
                return true;
            }
            break;
        default:
            if (watched == grid_ && !key->text().isEmpty() && key->text()[0].isPrint()) {
                // Typing in the grid goes on with the filter.
                filter_->setFocus();
                QApplication::sendEvent(filter_, event);
                delay_->start();
                return true;
            }
    }
    return QDialog::eventFilter(watched, event);
}

// ---- the services --------------------------------------------------------------

WindowedDravoc::WindowedDravoc(Options options)
    : options_(std::move(options)), language_(HostLanguageOfCodePage(options_.uiCodePage)) {}

int WindowedDravoc::run(QDialog& dialog) {
    // Modal over the window that asked; the focus goes back where it was.
    QPointer<QWidget> focus = QApplication::focusWidget();
    dialog.setWindowModality(dialog.parentWidget() ? Qt::WindowModal : Qt::ApplicationModal);
    if (onShow) {
        QTimer::singleShot(0, &dialog, [this, &dialog] {
            if (onShow) onShow(dialog);
        });
    }
    const int result = dialog.exec();
    if (focus) {
        focus->activateWindow();
        focus->setFocus(Qt::OtherFocusReason);
    }
    return result;
}

plat::Variant WindowedDravoc::F2GetData(plat::Variant& request) {
    const LookupWindowRequest r = ReadLookupRequest(request);
    if (!options_.lookups) throw plat::Exception("The lookup window has no server to read from");
    if (r.complete && !CompletionText(r).empty()) {
        // Code completion: a text that leaves one row answers it at once.
        LookupPageRequest one;
        one.kind = r.table;
        one.subKind = r.query;
        one.params = r.params;
        one.filter = CompletionText(r);  // as stored: the module sends it so
        one.pinyin = language_ != HostLanguage::English;
        one.count = 2;
        const LookupRows rows = options_.lookups->LookupPage(one);
        if (rows.rows.size() == 1 && !rows.more) return LookupReply(rows.rows, ReturnColumns(rows));
    }
    LookupWindow window(options_.lookups, r, language_, options_.toInterface, options_.toStored,
                        QApplication::activeWindow());
    if (run(window) != QDialog::Accepted) return plat::Variant();
    return window.Reply();
}

std::string WindowedDravoc::ShowInputDay(const plat::Variant& args) {
    std::vector<plat::Variant> a = ArrayItems(args);
    const bool shortYear = !a.empty() && !a[0].IsArray() && plat::VarToIntDef(a[0], 0) != 0;
    const std::string start =
        PickerStartDate(a.size() > 1 && !a[1].IsArray() ? plat::VarToStr(a[1]) : "",
                        options_.today ? options_.today() : TodayText());
    QDialog dialog(QApplication::activeWindow());
    dialog.setObjectName("HostDatePicker");
    dialog.setWindowTitle(Q(HostText::DateTitle, language_));
    auto* layout = new QVBoxLayout(&dialog);
    auto* shown = new QLabel;
    shown->setAlignment(Qt::AlignCenter);
    auto* calendar = new QCalendarWidget;
    calendar->setObjectName("calendar");
    calendar->setLocale(LocaleOf(language_));
    calendar->setGridVisible(true);
    calendar->setSelectedDate(QDate::fromString(Q(start), "yyyyMMdd"));
    const QString format = shortYear ? "yy/MM/dd" : "yyyy/MM/dd";
    auto update = [=] { shown->setText(calendar->selectedDate().toString(format)); };
    update();
    QObject::connect(calendar, &QCalendarWidget::selectionChanged, &dialog, update);
    QObject::connect(calendar, &QCalendarWidget::activated, &dialog, &QDialog::accept);
    layout->addWidget(shown);
    layout->addWidget(calendar);
    auto* today = new QPushButton(Q(HostText::Today, language_));
    today->setAutoDefault(false);
    QObject::connect(today, &QPushButton::clicked, &dialog, [=, this] {
        calendar->setSelectedDate(
            QDate::fromString(Q(options_.today ? options_.today() : TodayText()), "yyyyMMdd"));
    });
    layout->addWidget(today);
    AddButtons(dialog, layout, language_);
    calendar->setFocus();
    if (run(dialog) != QDialog::Accepted) return {};
    return calendar->selectedDate().toString("yyyyMMdd").toStdString();
}

int WindowedDravoc::GetPhrase2(const std::string& user, const std::string& company, int64_t,
                               std::string& text) {
    if (!options_.lookups) throw plat::Exception("The phrase window has no server to read from");
    QDialog dialog(QApplication::activeWindow());
    dialog.setObjectName("HostPhraseWindow");
    dialog.setWindowTitle(Q(HostText::PhraseTitle, language_));
    auto* layout = new QVBoxLayout(&dialog);
    auto* list = new QListWidget;
    list->setObjectName("phrases");
    auto* entryRow = new QHBoxLayout;
    auto* entryLabel = new QLabel(Q(HostText::PhraseNew, language_));
    auto* entry = new QLineEdit;
    entry->setObjectName("newPhrase");
    entry->setMaxLength(255);
    entryLabel->setBuddy(entry);
    auto* forCompany = new QCheckBox(Q(HostText::PhraseForCompany, language_));
    auto* add = new QPushButton(Q(HostText::PhraseAdd, language_));
    auto* remove = new QPushButton(Q(HostText::PhraseDelete, language_));
    for (QPushButton* b : {add, remove}) b->setAutoDefault(false);
    entryRow->addWidget(entryLabel);
    entryRow->addWidget(entry, 1);
    entryRow->addWidget(forCompany);
    entryRow->addWidget(add);
    entryRow->addWidget(remove);
    layout->addWidget(list, 1);
    layout->addLayout(entryRow);
    AddButtons(dialog, layout, language_);

    auto lookups = options_.lookups;
    const QString companyMark = "[" + Q(HostText::PhraseCompany, language_) + "] ";
    auto fill = [=, this](int64_t select) {
        list->clear();
        for (const Phrase& p : lookups->Phrases(user)) {
            std::string shown = p.text;
            if (language_ == HostLanguage::Traditional && options_.toInterface)
                shown = options_.toInterface(shown);
            auto* item = new QListWidgetItem((p.user.empty() ? companyMark : QString()) + Q(shown));
            item->setData(Qt::UserRole, QVariant::fromValue<qlonglong>(p.number));
            item->setData(Qt::UserRole + 1, Q(p.text));
            list->addItem(item);
            if (p.number == select || list->count() == 1) list->setCurrentItem(item);
        }
    };
    fill(0);
    QObject::connect(add, &QPushButton::clicked, &dialog, [=, this] {
        std::string phrase = entry->text().trimmed().toStdString();
        if (phrase.empty()) return;
        if (language_ == HostLanguage::Traditional && options_.toStored)
            phrase = options_.toStored(phrase);
        fill(lookups->AddPhrase(user, phrase, forCompany->isChecked()));
        entry->clear();
        list->setFocus();
    });
    QObject::connect(remove, &QPushButton::clicked, &dialog, [=] {
        if (QListWidgetItem* item = list->currentItem()) {
            lookups->DeletePhrase(user, item->data(Qt::UserRole).toLongLong());
            fill(0);
        }
    });
    QObject::connect(list, &QListWidget::itemDoubleClicked, &dialog, &QDialog::accept);
    list->setFocus();
    dialog.resize(560, 320);
    (void)company;  // the server's database is the company's
    if (run(dialog) != QDialog::Accepted || !list->currentItem()) return -1;
    text = list->currentItem()->data(Qt::UserRole + 1).toString().toStdString();
    return 0;
}

plat::Variant WindowedDravoc::ShowCharaters(const std::string&, const std::string&,
                                            plat::Variant& kind, bool, const std::string&) {
    QDialog dialog(QApplication::activeWindow());
    dialog.setObjectName("HostCharacterWindow");
    dialog.setWindowTitle(Q(HostText::CharTitle, language_));
    auto* layout = new QVBoxLayout(&dialog);
    auto* tabs = new QTabWidget;
    tabs->setObjectName("kinds");
    const std::vector<CharacterKind> kinds = CharacterKinds(language_);
    constexpr int kColumns = 8;
    const int wanted = (int)plat::VarToIntDef(kind.IsArray() ? plat::Variant() : kind, 0);
    std::string chosen;
    std::vector<CharacterKind> shown;
    for (const CharacterKind& k : kinds) {
        // Only what the screen font can draw: an empty cell would choose nothing visible.
        CharacterKind drawable{k.kind, k.caption, {}};
        const QFontMetrics metrics(dialog.font());
        for (const std::string& c : k.characters) {
            const QString q = Q(c);
            // A font may hold a character with an empty glyph: that draws nothing too.
            if (!q.isEmpty() && metrics.inFontUcs4(q.toUcs4().front()) &&
                !metrics.tightBoundingRect(q).isEmpty())
                drawable.characters.push_back(c);
        }
        shown.push_back(std::move(drawable));
    }
    for (const CharacterKind& k : shown) {
        auto* grid =
            new QTableWidget(((int)k.characters.size() + kColumns - 1) / kColumns, kColumns);
        grid->horizontalHeader()->hide();
        grid->verticalHeader()->hide();
        grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
        grid->setSelectionMode(QAbstractItemView::SingleSelection);
        const int cell = grid->fontMetrics().height() * 2;
        grid->horizontalHeader()->setDefaultSectionSize(cell);
        grid->verticalHeader()->setDefaultSectionSize(cell);
        for (size_t i = 0; i < k.characters.size(); ++i) {
            auto* item = new QTableWidgetItem(Q(k.characters[i]));
            item->setTextAlignment(Qt::AlignCenter);
            grid->setItem((int)i / kColumns, (int)i % kColumns, item);
        }
        grid->setCurrentCell(0, 0);
        QObject::connect(grid, &QTableWidget::cellActivated, &dialog,
                         [&dialog] { dialog.accept(); });
        QObject::connect(grid, &QTableWidget::cellDoubleClicked, &dialog,
                         [&dialog] { dialog.accept(); });
        tabs->addTab(grid, Q(k.caption));
        if (k.kind == wanted) tabs->setCurrentIndex(tabs->count() - 1);
    }
    layout->addWidget(tabs, 1);
    AddButtons(dialog, layout, language_);
    dialog.resize(std::max(kColumns * tabs->fontMetrics().height() * 2 + 60, 480), 340);
    if (tabs->currentWidget()) tabs->currentWidget()->setFocus();
    if (run(dialog) != QDialog::Accepted) return plat::Variant();
    auto* grid = qobject_cast<QTableWidget*>(tabs->currentWidget());
    if (!grid || !grid->currentItem()) return plat::Variant();
    chosen = grid->currentItem()->text().toStdString();
    if (chosen.empty()) return plat::Variant();
    kind = shown[(size_t)tabs->currentIndex()].kind;
    return plat::Variant::ArrayOf({chosen});
}

std::string WindowedDravoc::GetCalcValue(std::string& text, int64_t) {
    QDialog dialog(QApplication::activeWindow());
    dialog.setObjectName("HostCalculator");
    dialog.setWindowTitle(Q(HostText::CalcTitle, language_));
    auto* layout = new QVBoxLayout(&dialog);
    auto* expression = new QLineEdit(Q(plat::Trim(text)));
    expression->setObjectName("expression");
    expression->setAlignment(Qt::AlignRight);
    expression->setMaxLength(200);
    auto* result = new QLabel;
    result->setObjectName("result");
    result->setAlignment(Qt::AlignRight);
    layout->addWidget(expression);
    layout->addWidget(result);
    auto* keys = new QGridLayout;
    const char* const kKeys[4][5] = {{"7", "8", "9", "/", "C"},
                                     {"4", "5", "6", "*", "("},
                                     {"1", "2", "3", "-", ")"},
                                     {"0", ".", "=", "+", "<"}};
    std::string answer;
    auto work = [&]() -> bool {
        double value = 0;
        if (!EvaluateExpression(expression->text().toStdString(), value)) {
            result->setText(Q(HostText::CalcError, language_));
            return false;
        }
        answer = CalculatorText(value);
        result->setText("= " + Q(answer));
        return true;
    };
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 5; ++c) {
            const QString key = kKeys[r][c];
            auto* b = new QPushButton(key == "<" ? QString::fromUtf8("\u2190") : key);
            b->setAutoDefault(false);
            b->setFocusPolicy(Qt::NoFocus);  // the keys type into the line
            QObject::connect(b, &QPushButton::clicked, &dialog, [=, &work] {
                if (key == "C") {
                    expression->clear();
                    result->clear();
                } else if (key == "<") {
                    expression->backspace();
                } else if (key == "=") {
                    if (work()) expression->setText(result->text().mid(2));
                } else {
                    expression->insert(key);
                }
            });
            keys->addWidget(b, r, c);
        }
    layout->addLayout(keys);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Ok)->setText(Q(HostText::Ok, language_));
    buttons->button(QDialogButtonBox::Cancel)->setText(Q(HostText::Cancel, language_));
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, [&] {
        if (work()) dialog.accept();
    });
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    QObject::connect(expression, &QLineEdit::returnPressed, &dialog, [&] {
        if (work()) dialog.accept();
    });
    layout->addWidget(buttons);
    expression->setFocus();
    if (run(dialog) != QDialog::Accepted) return {};
    text = expression->text().toStdString();
    return answer;
}

}  // namespace standin
