// Panels, bevels, images, paint boxes, splitters, radio groups, timers,
// scroll boxes and gauges.
#pragma once
#include <memory>
#include <vector>

#include "platform/ui/forms.h"
#include "platform/ui/stdctrls.h"

class QTimer;
class QScrollArea;
class QScrollBar;

namespace plat {

enum class TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };
PLAT_ENUM_INFO(TBevelCut, bvNone, bvLowered, bvRaised, bvSpace)

class TCustomPanel : public TCustomControl {
    PLAT_CLASS(TCustomPanel, TCustomControl)
  public:
    explicit TCustomPanel(TComponent* owner);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment v) {
        alignment_ = v;
        Invalidate();
    }
    TBevelCut BevelInner() const { return bevelInner_; }
    void SetBevelInner(TBevelCut v);
    TBevelCut BevelOuter() const { return bevelOuter_; }
    void SetBevelOuter(TBevelCut v);
    int BevelWidth() const { return bevelWidth_; }
    void SetBevelWidth(int v);
    int BorderWidth() const { return borderWidth_; }
    void SetBorderWidth(int v);
    TBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TBorderStyle v) {
        borderStyle_ = v;
        Invalidate();
    }
    bool FullRepaint = true;

  protected:
    void AdjustClientRect(TRect& r) const override;
    void Paint() override;
    void TextChanged() override { Invalidate(); }

  private:
    TAlignment alignment_ = TAlignment::taCenter;
    TBevelCut bevelInner_ = TBevelCut::bvNone;
    TBevelCut bevelOuter_ = TBevelCut::bvRaised;
    int bevelWidth_ = 1;
    int borderWidth_ = 0;
    TBorderStyle borderStyle_ = TBorderStyle::bsNone;
};

class TPanel : public TCustomPanel {
    PLAT_CLASS(TPanel, TCustomPanel)
  public:
    using TCustomPanel::TCustomPanel;
};

enum class TBevelShape {
    bsBox,
    bsFrame,
    bsTopLine,
    bsBottomLine,
    bsLeftLine,
    bsRightLine,
    bsSpacer
};
PLAT_ENUM_INFO(TBevelShape, bsBox, bsFrame, bsTopLine, bsBottomLine, bsLeftLine, bsRightLine,
               bsSpacer)
enum class TBevelStyle { bsLowered, bsRaised };
PLAT_ENUM_INFO(TBevelStyle, bsLowered, bsRaised)

class TBevel : public TGraphicControl {
    PLAT_CLASS(TBevel, TGraphicControl)
  public:
    explicit TBevel(TComponent* owner);
    TBevelShape Shape() const { return shape_; }
    void SetShape(TBevelShape v) {
        shape_ = v;
        Invalidate();
    }
    TBevelStyle Style() const { return style_; }
    void SetStyle(TBevelStyle v) {
        style_ = v;
        Invalidate();
    }

  protected:
    void Paint() override;

  private:
    TBevelShape shape_ = TBevelShape::bsBox;
    TBevelStyle style_ = TBevelStyle::bsLowered;
};

// A picture: here always a bitmap.
class TPicture : public TPersistent {
    PLAT_CLASS(TPicture, TPersistent)
  public:
    TPicture();
    TBitmap* Bitmap() { return &bitmap_; }
    int Width() const { return bitmap_.Width(); }
    int Height() const { return bitmap_.Height(); }
    bool Empty() const { return bitmap_.Empty(); }
    void LoadFromFile(const std::string& path) { bitmap_.LoadFromFile(path); }
    void Assign(TPersistent* source) override;
    std::function<void()> OnChange;

  private:
    TBitmap bitmap_;
};

class TImage : public TGraphicControl {
    PLAT_CLASS(TImage, TGraphicControl)
  public:
    explicit TImage(TComponent* owner);
    TPicture* Picture() { return &picture_; }
    // Draws on the picture's bitmap (created at the control's size when empty).
    TCanvas* ImageCanvas();
    bool Stretch() const { return stretch_; }
    void SetStretch(bool v) {
        stretch_ = v;
        Invalidate();
    }
    bool Center() const { return center_; }
    void SetCenter(bool v) {
        center_ = v;
        Invalidate();
    }
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool v);
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool v);

  protected:
    void Paint() override;

  private:
    void pictureChanged();
    TPicture picture_;
    bool stretch_ = false, center_ = false, transparent_ = false, autoSize_ = false;
};

class TPaintBox : public TGraphicControl {
    PLAT_CLASS(TPaintBox, TGraphicControl)
  public:
    explicit TPaintBox(TComponent* owner);
    TNotifyEvent OnPaint;

  protected:
    void Paint() override { OnPaint(this); }
};

enum class TResizeStyle { rsNone, rsLine, rsUpdate, rsPattern };
PLAT_ENUM_INFO(TResizeStyle, rsNone, rsLine, rsUpdate, rsPattern)

// Drags the edge of the control it adjoins (the one aligned the same way
// just before it).
class TSplitter : public TGraphicControl {
    PLAT_CLASS(TSplitter, TGraphicControl)
  public:
    explicit TSplitter(TComponent* owner);
    bool Beveled = false;
    int MinSize = 30;
    bool AutoSnap = true;
    TResizeStyle ResizeStyle = TResizeStyle::rsPattern;
    TNotifyEvent OnMoved;
    Event<TObject*, int&, bool&> OnCanResize;
    // The control that the splitter resizes, or null.
    TControl* ResizeControl() const;

  protected:
    void Paint() override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseMove(TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;

  private:
    int newSize(int x, int y) const;
    void apply(int size);
    TControl* control_ = nullptr;
    TPoint down_;
    int oldSize_ = 0, maxSize_ = 0, size_ = 0;
    bool dragging_ = false;
};

class TCustomRadioGroup : public TCustomGroupBox, private StringsListener {
    PLAT_CLASS(TCustomRadioGroup, TCustomGroupBox)
  public:
    explicit TCustomRadioGroup(TComponent* owner);
    ~TCustomRadioGroup() override;
    TControlStrings* Items() { return &items_; }
    int ItemIndex() const { return itemIndex_; }
    // Checks that button; the group's OnClick follows, as on the platform.
    void SetItemIndex(int v);
    int Columns() const { return columns_; }
    void SetColumns(int v);
    int ButtonCount() const { return (int)buttons_.size(); }
    TRadioButton* Buttons(int i) const { return buttons_.at(i); }

  protected:
    void Resize() override;
    void FontChanged() override;
    void EnabledChanged() override;

  private:
    friend class TGroupButton;
    void StringsInserted(int) override { StringsReset(); }
    void StringsDeleted(int) override { StringsReset(); }
    void StringsPut(int) override { StringsReset(); }
    void StringsReset() override;
    void arrange();
    void buttonClicked(TRadioButton* b);
    TControlStrings items_{this};
    std::vector<TRadioButton*> buttons_;
    int itemIndex_ = -1;
    int columns_ = 1;
    bool updating_ = false;
};

class TRadioGroup : public TCustomRadioGroup {
    PLAT_CLASS(TRadioGroup, TCustomRadioGroup)
  public:
    using TCustomRadioGroup::TCustomRadioGroup;
};

class TTimer : public TComponent {
    PLAT_CLASS(TTimer, TComponent)
  public:
    explicit TTimer(TComponent* owner);
    ~TTimer() override;
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool v);
    int Interval() const { return interval_; }
    void SetInterval(int v);
    TNotifyEvent OnTimer;
    // Runs only while enabled, with an interval and a handler.
    bool Running() const;
    // What the event loop does when the interval ends (tests call it).
    void Timer();

  private:
    void update();
    std::unique_ptr<QTimer> timer_;
    bool enabled_ = true;
    int interval_ = 1000;
};

// A scroll bar of a scrolling control. Tracking is off by default, as on
// the platform: the view moves when the thumb is let go.
class TControlScrollBar {
  public:
    int Range = 0;
    int Increment = 8;
    bool Tracking = false;
    bool Visible = true;
    int Position() const;
    void SetPosition(int v);

  private:
    friend class TScrollBox;
    QScrollBar* bar_ = nullptr;
};

class TScrollBox : public TScrollingWinControl {
    PLAT_CLASS(TScrollBox, TScrollingWinControl)
  public:
    explicit TScrollBox(TComponent* owner);
    bool AutoScroll = true;
    TControlScrollBar HorzScrollBar;
    TControlScrollBar VertScrollBar;
    TBorderStyle BorderStyle = TBorderStyle::bsSingle;
    // Scrolls so that the control is in view.
    void ScrollInView(TControl* c);
    // Recomputes the scrolled area from the children.
    void UpdateScrollRange();

  protected:
    void ControlsChanged() override { UpdateScrollRange(); }
    void ChildBoundsChanged(TControl*) override { UpdateScrollRange(); }
    void Resize() override;

  private:
    QScrollArea* area_ = nullptr;
    QWidget* content_ = nullptr;
};

enum class TGaugeKind { gkText, gkHorizontalBar, gkVerticalBar, gkPie, gkNeedle };
PLAT_ENUM_INFO(TGaugeKind, gkText, gkHorizontalBar, gkVerticalBar, gkPie, gkNeedle)

class TGauge : public TGraphicControl {
    PLAT_CLASS(TGauge, TGraphicControl)
  public:
    explicit TGauge(TComponent* owner);
    int MinValue() const { return min_; }
    void SetMinValue(int v);
    int MaxValue() const { return max_; }
    void SetMaxValue(int v);
    int Progress() const { return progress_; }
    void SetProgress(int v);
    void AddProgress(int v) { SetProgress(progress_ + v); }
    // Whole percent of the range done (the platform rounds down).
    int PercentDone() const;
    TGaugeKind Kind = TGaugeKind::gkHorizontalBar;
    TColor ForeColor = clBlack;
    TColor BackColor = clWhite;
    bool ShowText = true;

  protected:
    void Paint() override;

  private:
    int min_ = 0, max_ = 100, progress_ = 0;
};

}  // namespace plat
