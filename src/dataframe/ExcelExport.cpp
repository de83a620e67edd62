// Export of browse data to a spreadsheet file: through the spreadsheet
// application by automation (typed and formatted cells), or by writing the
// .xls file directly (TXLSExport).
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <functional>
#include <optional>

#include "dataframe/DoubleCD.h"
#include "dataframe/XLSExport.h"
#include "platform/component/classes.h"
#include "platform/core/dates.h"
#include "platform/core/format.h"
#include "platform/core/numbers.h"
#include "platform/core/text.h"
#include "platform/data/clientdataset.h"
#include "platform/system/desktop.h"
#include "platform/system/files.h"
#include "platform/system/paths.h"
#include "runtime/Brokers.h"
#include "runtime/LanguageController.h"

namespace ktrb {

using plat::TDataSet;
using plat::TField;
using plat::TFieldType;
using plat::Variant;

namespace {

constexpr const char* kPackage = "TdmSingle";
constexpr int kErrorColorIndex = 3;

std::string formatWith(const std::string& text, const std::string& value) {
    try {
        return plat::Format(text, {Variant(value)});
    } catch (const plat::EConvertError&) {
        return text + " " + value;
    }
}

// The data sets' positions and controls, and the progress window, for the
// length of an export; put back also when it fails.
class ExportFrame {
  public:
    ExportFrame(TDataSet* head, TDataSet* body, std::unique_ptr<IExportProgress> progress)
        : head_(head), body_(body), progress_(std::move(progress)) {
        for (TDataSet* ds : {head_, body_})
            if (ds) {
                marks_.push_back(ds->GetBookmark());
                ds->DisableControls();
            }
    }
    ~ExportFrame() {
        try {
            size_t i = 0;
            for (TDataSet* ds : {head_, body_})
                if (ds) {
                    const plat::TBookmark& mark = marks_[i++];
                    if (ds->BookmarkValid(mark)) ds->GotoBookmark(mark);
                }
        } catch (const std::exception&) {
            // A position that cannot be restored leaves the cursor where the
            // export ended; the data is untouched.
        }
        for (TDataSet* ds : {body_, head_})
            if (ds) ds->EnableControls();
        if (progress_) progress_->Finish();
    }
    void Start(const std::string& text, int max) {
        if (progress_) progress_->Start(text, 0, max);
    }
    void SetMax(int max) {
        if (progress_) progress_->SetMax(max);
    }
    // False when the user asked to stop.
    bool Step() {
        if (!progress_) return true;
        progress_->Step();
        return !progress_->Cancelled();
    }

  private:
    TDataSet* head_;
    TDataSet* body_;
    std::unique_ptr<IExportProgress> progress_;
    std::vector<plat::TBookmark> marks_;
};

struct Column {
    TField* field;
    bool headKey;
};

bool isIntegerField(const TField* f) {
    return f->DataType() == TFieldType::ftSmallint || f->DataType() == TFieldType::ftInteger;
}
bool isFloatField(const TField* f) {
    return f->DataType() == TFieldType::ftFloat || f->DataType() == TFieldType::ftCurrency ||
           f->DataType() == TFieldType::ftBCD;
}

// The decimals of a picture format's first section ("#,##0.00" 2), or -1
// for no format.
int formatDecimals(const std::string& format) {
    const std::string first = format.substr(0, format.find(';'));
    if (plat::Trim(first).empty()) return -1;
    const size_t dot = first.find('.');
    if (dot == std::string::npos) return 0;
    int n = 0;
    for (size_t i = dot + 1; i < first.size() && (first[i] == '0' || first[i] == '#'); ++i) ++n;
    return n;
}

// The decimals of the shortest text of a value, at most 10.
int textDecimals(double value) {
    const std::string text = plat::FloatToStr(value);
    if (text.find_first_of("Ee") != std::string::npos) return 10;
    const size_t dot = text.find('.');
    return dot == std::string::npos ? 0 : std::min(10, (int)(text.size() - dot - 1));
}

// The value a number of `decimals` decimals reads as: the double nearest to
// its decimal text, without the binary residue of the computation.
double roundedTo(double value, int decimals) {
    double out = value;
    if (plat::TryFixedTextValue(value, decimals, out)) return out;
    return value;
}

std::string numberFormat(int decimals) {
    return decimals <= 0 ? std::string("0") : "0." + std::string((size_t)decimals, '0');
}

// Each export its own file: the second of the clock names it, and a second
// export within that second takes "_2", "_3", ... . The name is taken by
// creating the file, so that no other export can take it meanwhile.
class ExportFileName {
  public:
    explicit ExportFileName(std::string stem) : stem_(std::move(stem)) {}
    ~ExportFileName() {
        if (!kept_ && !taken_.empty()) plat::DeleteFile(taken_);
    }
    ExportFileName(const ExportFileName&) = delete;
    ExportFileName& operator=(const ExportFileName&) = delete;
    const std::string& Take() {
        if (!taken_.empty()) return taken_;
        for (int n = 1; n <= 1000; ++n) {
            const std::string name = stem_ + (n == 1 ? "" : "_" + std::to_string(n)) + ".xls";
            const int fd = ::open(plat::NativePath(name).c_str(),
                                  O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
            if (fd >= 0) {
                ::close(fd);
                return taken_ = name;
            }
            if (errno != EEXIST) break;
        }
        // No name could be taken: the writer's own error tells why.
        fallback_ = stem_ + ".xls";
        return fallback_;
    }
    // The export was written: the file stays.
    void Keep() { kept_ = true; }

  private:
    std::string stem_, taken_, fallback_;
    bool kept_ = false;
};

}  // namespace

IOleExcel* TdmSingle::OLEExcel1() {
    if (!oleExcel_) {
        if (!plat::GetClass(kOleExcelClassName)) return nullptr;
        oleExcel_ = plat::CreateComponent(kOleExcelClassName, this, kOleExcelComponentName);
    }
    return dynamic_cast<IOleExcel*>(oleExcel_);
}

bool TdmSingle::ExportToExcel(TDataSet* dataSet, plat::TComponent*, bool withFormat) {
    return exportData(dataSet, nullptr, TExportWay::Excel, withFormat);
}

bool TdmSingle::ExportToExcelPlain(TDataSet* dataSet, plat::TComponent*) {
    return exportData(dataSet, nullptr, TExportWay::ExcelPlain, false);
}

void TdmSingle::ExportToXlsFile(TDataSet* dataSet, plat::TComponent*) {
    exportData(dataSet, nullptr, TExportWay::File, false);
}

void TdmDouble::ExportBodyToExcel(TDataSet* head, TDataSet* body, plat::TComponent*,
                                  bool withFormat) {
    exportData(head, body, TExportWay::Excel, withFormat);
}

void TdmDouble::ExportBodyToXlsFile(TDataSet* head, TDataSet* body, plat::TComponent*) {
    exportData(head, body, TExportWay::File, false);
}

bool TdmSingle::exportData(TDataSet* head, TDataSet* body, TExportWay way, bool withFormat) {
    if (!head || !head->Active() || head->IsEmpty()) return true;
    if (body && !body->Active()) return true;
    const bool excel = way != TExportWay::File;
    const bool localized = way == TExportWay::Excel;
    IDataModuleOwner* owner = OwnerForm();
    auto box = [&](const std::string& text, TMsgDlgType type, const TMsgDlgButtons& buttons) {
        return owner ? owner->ShowMessageBox(text, type, buttons) : modal::No;
    };
    auto warn = [&](const std::string& text) {
        box(text, TMsgDlgType::mtWarning, {TMsgDlgBtn::mbOK});
    };
    auto lang = [&](const char* id, const char* def) {
        return localized ? LangMessage(false, kPackage, id, def) : std::string(def);
    };
    auto display = [&](const std::string& text) { return toDisplay(Variant(text)).AsString(); };

    const std::string folder =
        plat::IncludeTrailingPathDelimiter(owner ? owner->ClientFolder() : std::string()) +
        "c_data/" + broker().UserID;
    ExportFileName fileName(folder + "/" + broker().ProgramCode + "_" +
                            plat::FormatDateTime("yyyymmddhhnnss", plat::Now()));
    std::string path;
    // The user and program codes name a folder and a file: a code that
    // would lead out of the export folder is refused like a folder that
    // cannot be made.
    auto plainName = [](const std::string& name) {
        return !name.empty() && name != "." && name != ".." &&
               name.find_first_of("/\\") == std::string::npos;
    };
    const bool namesOk = plainName(broker().UserID) && plainName(broker().ProgramCode);
    auto ensureFolder = [&] {
        if (namesOk && (plat::DirectoryExists(folder) || plat::CreateDir(folder))) return true;
        warn(localized ? formatWith(display(lang("sCreateDirError", "创建目录%s失败!")), folder)
                       : display("创建目录：" + folder + " 失败!"));
        return false;
    };

    IOleExcel* xl = nullptr;
    std::optional<TXLSExport> file;
    if (excel) {
        xl = OLEExcel1();
        try {
            if (!xl) throw plat::EOleError("The spreadsheet component is not available");
            xl->SetConnected(true);
            xl->SetVisible(false);
            xl->NewWorkbook();
            xl->SetSheetName(broker().ProgramCode);
        } catch (const plat::EAbort&) {
            throw;
        } catch (const std::exception&) {
            warn(display(lang("sFailedCreateExcell", "创建新的 EXCEL 文件")));
            if (xl) xl->SetConnected(false);
            return true;
        }
    } else {
        if (!ensureFolder()) return true;
        path = fileName.Take();
        file.emplace(path);
        try {
            file->CreateStream();
        } catch (const plat::Exception&) {
            box("create file: " + path + "  failed!", TMsgDlgType::mtCustom, {TMsgDlgBtn::mbOK});
            return true;
        }
    }

    // The columns: the header's key fields first when exporting lines.
    std::vector<Column> columns;
    if (body) {
        for (TField* f : head->Fields())
            if (KeyFields.find(f->FieldName()) != std::string::npos) columns.push_back({f, true});
        for (TField* f : body->Fields())
            if (f->Visible()) columns.push_back({f, false});
    } else {
        for (TField* f : head->Fields())
            if (f->Visible()) columns.push_back({f, false});
    }

    const std::string percentMask = PercentFieldEditMask();
    bool cancelled = false;
    try {
        ExportFrame frame(head, body,
                          singleOwner_ ? singleOwner_->CreateProgressWindow() : nullptr);
        frame.Start(localized ? lang("sConvertStat", "查询结果转 Excel 文件进度")
                              : std::string("查询结果转 Excel 文件进度"),
                    head->RecordCount());
        if (auto* cds = dynamic_cast<plat::TClientDataSet*>(head)) FetchAllPackets(cds);
        head->First();
        int total = head->RecordCount();
        if (body) {
            total = 0;
            for (; !head->Eof(); head->Next()) total += body->RecordCount();
            head->First();
        }
        frame.SetMax(total);
        if (total > kExportRowLimit)
            box("记录数超出" + std::to_string(kExportRowLimit) + "条(共：" + std::to_string(total) +
                    "条),系统将只输出前" + std::to_string(kExportRowLimit) + "条记录！",
                TMsgDlgType::mtInformation, {TMsgDlgBtn::mbOK});

        // Titles.
        for (size_t c = 0; c < columns.size(); ++c) {
            const std::string label = columns[c].field->DisplayLabel();
            if (excel)
                xl->WriteText(1, (int)c + 1, nullptr, true, label);
            else
                file->WriteCell(kXlsText, 0, (int)c, label);
        }
        if (file)
            for (size_t c = 0; c < columns.size(); ++c) {
                const TField* f = columns[c].field;
                const int chars = std::max(plat::TextWidth(f->DisplayLabel()), f->DisplayWidth());
                file->SetColumnWidth((int)c, std::clamp(chars + 2, 4, 100));
            }

        // The decimals the form shows a number with: its display format, else
        // its kind's, else those of its shortest text.
        auto numberDecimals = [&](TField* f) {
            if (isIntegerField(f)) return 0;
            int d = formatDecimals(f->DisplayFormat());
            if (d < 0) d = GetFieldNumberKind(f->FieldName(), -1);
            if (d < 0) d = textDecimals(f->AsFloat());
            return std::clamp(d, 0, 15);
        };
        auto comboText = [&](TField* f) {
            std::string text;
            GetComboItemText(f->DataSet(), text, f->DisplayText(), f->FieldName());
            return text;
        };
        auto excelCell = [&](int row, int col, TField* f) {
            const TFieldType type = f->DataType();
            if (way == TExportWay::ExcelPlain && (isIntegerField(f) || isFloatField(f))) {
                xl->WriteText(row, col, nullptr, true, f->DisplayText());
            } else if (isIntegerField(f)) {
                xl->SetDecimals(0);
                xl->WriteInteger(row, col, withFormat, f->AsInteger());
            } else if (type == TFieldType::ftFixedChar) {
                xl->WriteText(row, col, nullptr, true, f->DisplayText());
            } else if (type == TFieldType::ftString || type == TFieldType::ftWideString) {
                xl->WriteText(row, col, nullptr, true, comboText(f));
            } else if (type == TFieldType::ftBoolean) {
                xl->WriteText(row, col, nullptr, true, f->AsBoolean() ? "Y" : "N");
            } else if (isFloatField(f)) {
                const int decimals = numberDecimals(f);
                const double value = roundedTo(f->AsFloat(), decimals);
                if (!f->EditMask().empty() && f->EditMask() == percentMask) {
                    xl->WriteText(row, col, nullptr, true, f->DisplayText());
                } else if (withFormat && value >= 0) {
                    xl->SetDecimals((uint16_t)decimals);
                    xl->WriteFloat(row, col, nullptr, true, value);
                } else if (withFormat || body) {
                    // A number with the field's decimals and no separators.
                    xl->SelectCell(row, col);
                    plat::DispatchPtr sel =
                        xl->Application().AsDispatch()->Get("Selection").AsDispatch();
                    sel->Put("NumberFormatLocal", numberFormat(decimals));
                    sel->Put("Value", value);
                } else {
                    xl->WriteText(row, col, nullptr, true, plat::FormatFixed(value, decimals));
                }
            }
        };
        auto excelGuarded = [&](int row, int col, TField* f) {
            try {
                excelCell(row, col, f);
            } catch (const plat::EAbort&) {
                throw;
            } catch (const std::exception&) {
                plat::DispatchPtr sheet =
                    xl->Application().AsDispatch()->Get("ActiveSheet").AsDispatch();
                plat::DispatchPtr cell = sheet->GetIndexed("Cells", row, col).AsDispatch();
                cell->Get("Font").AsDispatch()->Put("ColorIndex", kErrorColorIndex);
                cell->Put("Value", "Error!");
            }
        };
        auto fileCell = [&](int row, int col, const Column& column) {
            TField* f = column.field;
            if (column.headKey) {
                file->WriteCell(kXlsText, row, col, f->AsString());
            } else if (isIntegerField(f) || f->DataType() == TFieldType::ftFloat) {
                if (body && f->AsString().empty()) {
                    file->WriteCell(kXlsText, row, col, "");
                } else {
                    const int decimals = numberDecimals(f);
                    file->WriteNumber(row, col, roundedTo(f->AsFloat(), decimals),
                                      numberFormat(decimals));
                }
            } else if (f->DataType() == TFieldType::ftBoolean) {
                file->WriteCell(kXlsText, row, col, f->AsBoolean() ? "Y" : "N");
            } else {
                file->WriteCell(kXlsText, row, col, comboText(f));
            }
        };
        int written = 0;
        auto writeRow = [&] {
            // Rows count from 1 in the application, from 0 in the file.
            for (size_t c = 0; c < columns.size(); ++c) {
                if (excel)
                    excelGuarded(written + 2, (int)c + 1, columns[c].field);
                else
                    fileCell(written + 1, (int)c, columns[c]);
            }
            ++written;
            if (!frame.Step()) cancelled = true;
        };
        for (head->First(); !head->Eof() && written < kExportRowLimit && !cancelled; head->Next()) {
            if (!body) {
                writeRow();
                continue;
            }
            for (body->First(); !body->Eof() && written < kExportRowLimit && !cancelled;
                 body->Next())
                writeRow();
        }
    } catch (const plat::EAbort&) {
        if (xl) xl->SetConnected(false);
        throw;
    } catch (const std::exception&) {
        // The error leaves the frame: nothing is saved.
        if (xl) xl->SetConnected(false);
        return false;
    }
    if (cancelled) {
        if (xl) xl->SetConnected(false);
        return true;
    }

    // The file's name is known once it is written. The question asks the
    // clerk to act, so the file way asks it in the interface's language too.
    auto question = [&] {
        const char* const fixed = "转出文档: \r%s\r\r是否打开文档?";
        return way != TExportWay::ExcelPlain
                   ? formatWith(display(LangMessage(false, kPackage, "sOpenDoc", fixed)), path)
                   : display("转出文档: \r" + path + "\r\r是否打开文档?");
    };
    const TMsgDlgButtons yesNo{TMsgDlgBtn::mbYes, TMsgDlgBtn::mbNo};
    if (excel) {
        if (!ensureFolder()) {
            xl->SetConnected(false);
            return true;
        }
        try {
            path = fileName.Take();
            xl->SaveAs(path);
            fileName.Keep();
        } catch (const plat::EAbort&) {
            throw;
        } catch (const std::exception&) {
            warn(localized ? formatWith(display(lang("sSaveAsError", "保存为----> %s 失败!")), path)
                           : display("保存为---->  " + path + " 失败!"));
            return true;
        }
        if (box(question(), TMsgDlgType::mtConfirmation, yesNo) == modal::Yes)
            xl->SetVisible(true);
        else
            xl->SetConnected(false);
        return true;
    }
    try {
        file->StorePage();
        file->CloseStream();
        fileName.Keep();
    } catch (const plat::Exception&) {
        box("create file: " + path + "  failed!", TMsgDlgType::mtCustom, {TMsgDlgBtn::mbOK});
        return true;
    }
    if (box(question(), TMsgDlgType::mtConfirmation, yesNo) == modal::Yes)
        plat::DesktopLauncher().Open(path);
    return true;
}

}  // namespace ktrb
