#pragma once
// The binder: ties a window's field to a column of a data source, with the
// field's input rule. The field shows the current row; the merchant's edits
// stay pending in the field until the record is written (on the rule's
// event, by an edit and update of the data source, or before the current row
// changes). Loading a record raises the field's change as an edit would, but
// does not make it pending. No view writes a binding by hand.
#include "datasource.h"
#include "regole.h"

#include <QList>
#include <QObject>
#include <memory>
#include <vector>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QWidget;

class Binder : public QObject {
    Q_OBJECT
public:
    explicit Binder(QObject *parent = nullptr);
    ~Binder() override;

    void lega(QLineEdit *campo, DataSource &sorgente, const QString &colonna, RegolaCampo regola = {});
    void lega(QPlainTextEdit *campo, DataSource &sorgente, const QString &colonna, RegolaCampo regola = {});
    // A check box stores 0/1 as Boolean false/true (a stored -1 reads as on);
    // its rule's change sees "1" or "0".
    void lega(QCheckBox *campo, DataSource &sorgente, const QString &colonna, RegolaCampo regola = {});
    // An editable list stores its text; a list without editing its choice's text.
    void lega(QComboBox *campo, DataSource &sorgente, const QString &colonna, RegolaCampo regola = {});

    // The field bound to a widget (nullptr when none).
    CampoCollegato *campo(const QWidget *widget) const;
    // The widget bound to a column of a data source (nullptr when none).
    QWidget *widget(const DataSource &sorgente, const QString &colonna) const;

    class Legame;

private:
    std::vector<std::unique_ptr<Legame>> m_legami;
};
