// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/mainAccessible.h"

#include "app/main.h"
#include "controls/ASswitch.h"
#include "controls/ControlsAccessible.h"
#include "controls/CurrEdit.h"
#include "controls/ImgBtn.h"
#include "controls/RXSlider.h"
#include "picture/DXPaintBox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QToolButton>

void MakeAccessible(TMainForm& form) {
    InstallControlsAccessibility();

    const std::pair<QLabel*, TASSwitcher*> knobs[] = {{form.Label1, form.UpDown1},
                                                      {form.Label2, form.UpDown2},
                                                      {form.Label5, form.UpDown3},
                                                      {form.Label6, form.Volume}};
    for (const auto& [label, knob] : knobs) {
        label->setBuddy(knob);
        // Reached with Tab, as a click reaches it, and showing when it has the focus.
        knob->setFocusPolicy(Qt::StrongFocus);
        knob->SetDrawFocused(true);
    }
    form.Label3->setBuddy(form.ComboBox1);
    form.Label4->setBuddy(form.ComboBox2);

    form.RxSlider1->setAccessibleName(TMainForm::tr("Main frequency"));
    form.FreqEdit->setAccessibleName(TMainForm::tr("Main frequency"));
    form.WaveLabel->setAccessibleDescription(TMainForm::tr("Brainwave band"));
    SetAccessibleTexts(*form.Start, [] {
        return MainState::Running ? TMainForm::tr("Stop") : TMainForm::tr("Start");
    });
    QComboBox* pictures = form.ComboBox1;
    SetAccessibleTexts(
        *form.PaintBox1, [] { return TMainForm::tr("Picture"); },
        [pictures] {
            const QString name = pictures->currentText();
            return MainState::Running ? TMainForm::tr("%1, running").arg(name)
                                      : TMainForm::tr("%1, stopped").arg(name);
        });

    QWidget* const order[] = {form.RxSlider1,  form.FreqEdit,  form.DivCheck,  form.UpDown1,
                              form.UpDown2,    form.UpDown3,   form.Volume,    form.Half,
                              form.Start,      form.ComboBox1, form.ComboBox2, form.ApplyButton,
                              form.ShowButton, form.DublButton};
    for (size_t i = 1; i < std::size(order); ++i)
        QWidget::setTabOrder(order[i - 1], order[i]);
}
