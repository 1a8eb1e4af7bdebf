// The main window's records for these controls, as its description gives them, read
// into live controls: every property, identifier and handler name resolves.

#include "framework/ui/Form.h"
#include "framework/ui/ListBox.h"
#include "framework/ui/Panel.h"
#include "framework/ui/Splitter.h"
#include "framework/ui/TabSet.h"
#include "framework/ui/TrackBar.h"

#include "framework/ClassRegistry.h"
#include "resource/ComponentReader.h"
#include "resource/DescriptionText.h"
#include "framework/text/TextEncoding.h"

#include <gtest/gtest.h>

using namespace orlenth;

namespace liststest {

class TListsForm : public TCustomForm {
    Q_OBJECT
public:
    explicit TListsForm(TComponent* owner = nullptr) : TCustomForm(owner) {}
    std::vector<std::string> calls;
public slots:
    void TabSet1Change(orlenth::TComponent*, int newTab, bool&) {
        calls.push_back("tab " + std::to_string(newTab));
    }
    void ListBox1Click(orlenth::TComponent*) { calls.push_back("list"); }
    void TrackBar1Change(orlenth::TComponent*) { calls.push_back("speed"); }
};

} // namespace liststest

namespace {

// The window's font and colours, Splitter1, Panel1 (tab strip and list) and the tool
// strip's speed slider, copied from resource/descriptions/TOrlenth.txt.
const char* kMainWindowPart = R"txt(object Orlenth: TListsForm
  Width = 727
  Height = 466
  BorderWidth = 5
  Color = 0x00EFF3F7
  Font.Charset = ANSI_CHARSET
  Font.Color = clWindowText
  Font.Height = -13
  Font.Name = "宋体"
  Font.Style = []
  object Splitter1: TSplitter
    Left = 204
    Top = 24
    Width = 3
    Height = 398
    Align = alLeft
    Cursor = crHSplit
    AutoSnap = false
    MinSize = 30
    ResizeStyle = rsPattern
  end
  object Panel1: TPanel
    Left = 0
    Top = 24
    Width = 204
    Height = 398
    Align = alLeft
    BevelOuter = bvLowered
    BevelWidth = 1
    Color = 0x00DEEBEF
    TabOrder = 0
    object TabSet1: TTabSet
      Left = 1
      Top = 1
      Width = 202
      Height = 25
      Align = alTop
      AutoScroll = true
      BackgroundColor = 0x00DEEBEF
      DitherBackground = false
      EndMargin = 5
      Font.Charset = ANSI_CHARSET
      Font.Color = clWindowText
      Font.Height = -13
      Font.Name = "宋体"
      Font.Style = []
      StartMargin = 5
      SelectedColor = 0x00EFF3F7
      SoftTop = true
      TabHeight = 20
      Tabs.Strings = (
        "推荐"
        "网文"
        "军事"
        "游戏"
        "Kestrow"
      )
      TabIndex = 0
      UnselectedColor = 0x00DEEBEF
      OnChange = TabSet1Change
    end
    object ListBox1: TListBox
      Left = 1
      Top = 26
      Width = 202
      Height = 371
      Align = alClient
      Style = lbOwnerDrawVariable
      BorderStyle = bsNone
      ItemHeight = 20
      ParentColor = true
      TabOrder = 1
      OnClick = ListBox1Click
    end
  end
  object Panel3: TPanel
    Left = 0
    Top = 0
    Width = 709
    Height = 24
    Align = alTop
    BevelOuter = bvNone
    ParentColor = true
    TabOrder = 2
    object TrackBar1: TTrackBar
      Left = 263
      Top = 0
      Width = 97
      Height = 24
      Align = alLeft
      Hint = "滚屏速度(左:快;右:慢)"
      Frequency = 30
      Max = 300
      Min = 1
      Orientation = trHorizontal
      PageSize = 30
      ParentShowHint = false
      Position = 150
      ShowHint = true
      TabOrder = 1
      ThumbLength = 14
      TickMarks = tmBottomRight
      Visible = false
      OnChange = TrackBar1Change
    end
  end
end
)txt";

} // namespace

TEST(ListsDescription, ReadsIntoLiveControls) {
    RegisterColorIdents();
    RegisterCursorIdents();
    InstallFontSubstitutions();
    RegisterClass<TPanel>();
    RegisterClass<TSplitter>();
    RegisterClass<TTabSet>();
    RegisterClass<TListBox>();
    RegisterClass<TTrackBar>();
    liststest::TListsForm form;
    ReadComponent(ParseDescriptionText(kMainWindowPart, ".", "TOrlenth.txt"), form);
    EXPECT_TRUE(form.calls.empty()) << "nothing fires while the window is read";

    auto* splitter = qobject_cast<TSplitter*>(form.FindComponent("Splitter1"));
    auto* panel = qobject_cast<TPanel*>(form.FindComponent("Panel1"));
    auto* tabs = qobject_cast<TTabSet*>(form.FindComponent("TabSet1"));
    auto* list = qobject_cast<TListBox*>(form.FindComponent("ListBox1"));
    auto* speed = qobject_cast<TTrackBar*>(form.FindComponent("TrackBar1"));
    ASSERT_TRUE(splitter && panel && tabs && list && speed);

    EXPECT_FALSE(splitter->AutoSnap());
    EXPECT_EQ(splitter->Widget()->cursor().shape(), Qt::SplitHCursor);
    EXPECT_EQ(splitter->ResizedControl(), panel);

    EXPECT_EQ(tabs->Tabs()->Count(), 5);
    EXPECT_EQ(GbkToUnicode(tabs->Tabs()->Get(4).toStdString()), "Kestrow");
    EXPECT_EQ(GbkToUnicode(tabs->Tabs()->Get(0).toStdString()), QString::fromUtf8("推荐"));
    EXPECT_EQ(tabs->TabIndex(), 0);
    EXPECT_TRUE(tabs->SoftTop());
    EXPECT_FALSE(tabs->DitherBackground());
    EXPECT_EQ(tabs->SelectedColor(), 0x00EFF3F7);
    EXPECT_EQ(tabs->Font()->Height(), -13);
    EXPECT_EQ(tabs->Widget()->width(), 202);
    EXPECT_FALSE(tabs->ScrollerVisible()) << "the five categories fit the panel";
    tabs->Tabs()->Add(UnicodeToGbk(QString::fromUtf8("我的文件夹")).c_str());
    EXPECT_TRUE(tabs->ScrollerVisible()) << "the sixth, added at run time, does not";
    tabs->SetTabIndex(5);
    EXPECT_EQ(form.calls, std::vector<std::string>{"tab 5"});

    EXPECT_EQ(list->Style(), TListBox::lbOwnerDrawVariable);
    EXPECT_EQ(list->BorderStyle(), TListBox::bsNone);
    EXPECT_EQ(list->RowHeight(), 20);
    EXPECT_EQ(list->Color(), 0x00DEEBEF) << "the panel's colour";
    EXPECT_TRUE(list->ParentColor());
    EXPECT_EQ(list->EffectiveFont().pixelSize(), 13) << "the window's font";
    EXPECT_EQ(list->ItemIndex(), -1);
    EXPECT_TRUE(list->Event("OnClick") && *list->Event("OnClick"));

    EXPECT_EQ(speed->Min(), 1);
    EXPECT_EQ(speed->Max(), 300);
    EXPECT_EQ(speed->Position(), 150);
    EXPECT_EQ(speed->Slider()->value(), 150);
    EXPECT_EQ(speed->PageSize(), 30);
    EXPECT_EQ(speed->Frequency(), 30);
    EXPECT_EQ(speed->ThumbLength(), 14);
    EXPECT_FALSE(speed->Visible());
    speed->SetPosition(10);
    EXPECT_EQ(form.calls.back(), "speed");
}

#include "lists_description_test.moc"
