#pragma once
// The About window: the product's name, the maker's line, a motto, the machine's memory
// figures taken when it is shown, an information message behind the logo, and a close
// panel that behaves as a push button.

#include "app/platform/MemoryStatus.h"
#include "framework/ui/Form.h"
#include "framework/ui/Image.h"
#include "framework/ui/Label.h"
#include "framework/ui/Panel.h"

#include <QByteArray>

#include <functional>

namespace orlenth {

class TaboutKestrow : public TCustomForm {
    Q_OBJECT
    Q_PROPERTY(orlenth::TImage* Image1 MEMBER Image1 STORED false)
    Q_PROPERTY(orlenth::TLabel* Label1 MEMBER Label1 STORED false)
    Q_PROPERTY(orlenth::TLabel* Label2 MEMBER Label2 STORED false)
    Q_PROPERTY(orlenth::TLabel* Label3 MEMBER Label3 STORED false)
    Q_PROPERTY(orlenth::TLabel* Label4Mem MEMBER Label4Mem STORED false)
    Q_PROPERTY(orlenth::TLabel* Label4 MEMBER Label4 STORED false)
    Q_PROPERTY(orlenth::TPanel* Panel4 MEMBER Panel4 STORED false)

public:
    explicit TaboutKestrow(TComponent* owner = nullptr);

    TImage* Image1 = nullptr;
    TLabel* Label1 = nullptr;
    TLabel* Label2 = nullptr;
    TLabel* Label3 = nullptr;
    TLabel* Label4Mem = nullptr;
    TLabel* Label4 = nullptr;
    TPanel* Panel4 = nullptr;

    // Where the memory figures come from: /proc/meminfo unless a test says otherwise.
    static void SetMemorySource(std::function<platform::MemoryStatus()> source);
    // The information message behind the logo, GBK: eleven lines joined by single CRs.
    static QByteArray InformationText();

public slots:
    void FormShow(orlenth::TComponent* sender);
    void Image1Click(orlenth::TComponent* sender);
    void Panel4MouseDown(orlenth::TComponent* sender, int button, int shift, int x, int y);
    void Panel4MouseUp(orlenth::TComponent* sender, int button, int shift, int x, int y);
    void FormKeyPress(orlenth::TComponent* sender, char& key);
};

} // namespace orlenth
