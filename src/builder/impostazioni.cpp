#include "impostazioni.h"

#include "recordset.h"

Impostazioni Impostazioni::daRecord(const Recordset &) { return {}; }
void Impostazioni::derivaIndirizzi() {}
QString Impostazioni::cartellaDaFolderFTP(const QString &f, bool) { return f; }
QString Impostazioni::cartellaDaFolderCGI(const QString &f, bool) { return f; }
ValoriValuta ValoriValuta::daImpostazioni(const Impostazioni &, const ValoriValuta &prima) { return prima; }
ValoriValuta ValoriValuta::daShopState(const ShopState &) { return {}; }
void ValoriValuta::impostaIn(ShopState &) const {}
Impostazioni CaricaImpostazioni(const Recordset &generale, ShopState &) { return Impostazioni::daRecord(generale); }
ValoriValuta ValoriValuta::daImpostazioni(const Impostazioni &imp) { return daImpostazioni(imp, ValoriValuta{}); }
