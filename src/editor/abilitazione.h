#pragma once
// Which commands the selection allows: the store announces what changed
// (the current department, the current article, the clipboard, the tree) and
// this switches the commands' enabling names in the registry. The pictures'
// delete commands follow the picture frames (CorniceImmagine).
#include <QObject>

class Negozio;
class RegistroComandi;

class AbilitazioneComandi : public QObject {
    Q_OBJECT
public:
    AbilitazioneComandi(Negozio &negozio, RegistroComandi &comandi, QObject *parent = nullptr);

    // The names the current department switches, in the order they are switched.
    static const QStringList &nomiReparto();
    // The names the current article switches.
    static const QStringList &nomiArticolo();

private:
    Negozio &m_negozio;
    RegistroComandi &m_comandi;
};
