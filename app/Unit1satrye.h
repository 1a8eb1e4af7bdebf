#pragma once
// The splash window: a borderless picture with two vertical captions, shown modally once
// at start-up. It closes on the first of: its timer's tick, a click on the picture or a
// caption, Enter or Esc.

#include "framework/ui/Form.h"
#include "framework/ui/Image.h"
#include "framework/ui/Label.h"
#include "framework/ui/Timer.h"

namespace orlenth {

class TstarYe : public TCustomForm {
    Q_OBJECT
    Q_PROPERTY(orlenth::TImage* Image1 MEMBER Image1 STORED false)
    Q_PROPERTY(orlenth::TLabel* Label1 MEMBER Label1 STORED false)
    Q_PROPERTY(orlenth::TLabel* Label2 MEMBER Label2 STORED false)
    Q_PROPERTY(orlenth::TTimer* Timer1 MEMBER Timer1 STORED false)

public:
    // Reads the window's description; the timer starts counting now.
    explicit TstarYe(TComponent* owner = nullptr);

    TImage* Image1 = nullptr;
    TLabel* Label1 = nullptr;
    TLabel* Label2 = nullptr;
    TTimer* Timer1 = nullptr;

public slots:
    void Image1Click(orlenth::TComponent* sender);
    void FormKeyPress(orlenth::TComponent* sender, char& key);
    void FormClose(orlenth::TComponent* sender, orlenth::TCustomForm::TCloseAction& action);
};

} // namespace orlenth
