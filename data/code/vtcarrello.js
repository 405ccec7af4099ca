// Vetrasto - script delle pagine del negozio: carrello, spedizioni, IVA,
// ricerca, menu dei reparti e finestra delle foto.
// Il programma riempie le tabelle qui sotto a ogni costruzione del sito.

<<1-java_importi>>
<<1-java_permessi>>
var totiva = 1;
<<1-java_iva>>
<<1-java_importi_peso>>
<<1-java_valuta>>
var tipopeso = "<<1-java_tipopeso>>";
var minimo = Number("<<1-java_minimo>>") || 0;
var ivacompresa = "<<1-java_ivacompresa>>";
var tiposel = Number("<<1-java_zona>>") || 1;
var vtNegozio = "<<1-IDnegozio>>";

// ---- importi: sempre in centesimi interi, mai in virgola mobile ----

function vtCent(s) {
  s = String(s == null ? "" : s).replace(/\s/g, "");
  var m = /^(-?)(\d*)(?:\.(\d*))?$/.exec(s);
  if (!m || (m[2] === "" && !m[3])) return 0;
  var dec = ((m[3] || "") + "000").substr(0, 3);
  var c = Number(m[2] || "0") * 100 + Number(dec.substr(0, 2)) + (Number(dec.charAt(2)) >= 5 ? 1 : 0);
  return m[1] ? -c : c;
}

// Aliquota IVA in milionesimi (".22" -> 220000).
function vtAliquota(s) {
  var n = parseFloat(String(s).replace(/\s/g, ""));
  return isFinite(n) && n > 0 && n < 10 ? Math.round(n * 1000000) : 0;
}

function vtDecimali() {
  return typeof PutDec == "undefined" || PutDec != 0;
}

function vtFormatta(cent) {
  var dec = vtDecimali();
  var neg = cent < 0;
  cent = Math.abs(cent);
  var intero = dec ? Math.floor(cent / 100) : Math.round(cent / 100);
  var s = String(intero);
  var migl = typeof sepmigl == "string" ? sepmigl : ".";
  var out = "";
  while (s.length > 3) {
    out = migl + s.substr(s.length - 3) + out;
    s = s.substr(0, s.length - 3);
  }
  out = s + out;
  if (dec) {
    var c = String(cent % 100);
    out += (typeof sepdec == "string" ? sepdec : ",") + (c.length < 2 ? "0" + c : c);
  }
  return (typeof valuta == "string" ? valuta : "") + (neg ? "-" : "") + out;
}

// Pesi in milionesimi interi: sommati in virgola mobile, 0,1 kg per 3 pezzi
// supererebbe il limite di 0,3 kg della fascia.
function vtMicro(s) {
  var n = parseFloat(String(s == null ? "" : s).replace(/\s/g, ""));
  return isFinite(n) ? Math.round(n * 1000000) : 0;
}

function vtPeso(micro) {
  var neg = micro < 0;
  micro = Math.abs(micro);
  var f = String(micro % 1000000);
  while (f.length < 6) f = "0" + f;
  f = f.replace(/0+$/, "");
  return (neg ? "-" : "") + Math.floor(micro / 1000000) + (f ? "." + f : "");
}

// In lettere decimali con il punto, per il modulo d'ordine.
function vtDecimale(cent) {
  var neg = cent < 0;
  cent = Math.abs(cent);
  var c = String(cent % 100);
  return (neg ? "-" : "") + Math.floor(cent / 100) + "." + (c.length < 2 ? "0" + c : c);
}

// ---- il carrello, conservato nel browser tra una pagina e l'altra ----

function vtChiave() { return "vtcarrello-" + vtNegozio; }
var vtMemoria = null;

function vtLeggi() {
  var testo = null;
  try { testo = window.localStorage.getItem(vtChiave()); } catch (e) { testo = vtMemoria; }
  try {
    var c = JSON.parse(testo || "[]");
    return Array.isArray(c) ? c : [];
  } catch (e) {
    return [];
  }
}

function vtScrivi(c) {
  var testo = JSON.stringify(c);
  try { window.localStorage.setItem(vtChiave(), testo); } catch (e) { vtMemoria = testo; }
  vtAggiornaConta();
}

function vtAggiornaConta() {
  var el = document.getElementById("vt-conta");
  if (!el) return;
  var n = 0, c = vtLeggi();
  for (var i = 0; i < c.length; i++) n += c[i].q;
  el.textContent = n > 0 ? String(n) : "";
  el.setAttribute("aria-label", n == 1 ? "1 articolo" : n + " articoli");
}

function vtAvviso(testo, link) {
  var el = document.getElementById("vt-avviso");
  if (!el) {
    el = document.createElement("div");
    el.id = "vt-avviso";
    el.className = "vt-avviso";
    el.setAttribute("role", "status");
    document.body.appendChild(el);
  }
  el.textContent = testo + " ";
  if (link) {
    var a = document.createElement("a");
    a.href = "ordine.htm";
    a.textContent = "Vai al carrello";
    el.appendChild(a);
  }
  el.className = "vt-avviso vt-visibile";
  clearTimeout(vtAvviso.t);
  vtAvviso.t = setTimeout(function () { el.className = "vt-avviso"; }, 6000);
}

function vtCampo(nome) {
  var f = document.itemsform;
  if (f && f.elements[nome]) return f.elements[nome];
  var l = document.getElementsByName(nome);
  return l.length ? l[0] : null;
}

// Chiamata dal collegamento d'acquisto di ogni articolo. Non restituisce
// nulla: un collegamento "javascript:" che restituisce un valore
// sostituirebbe la pagina.
function Acquista(articolo, prezzo, iva, qt, op1, op2, op3, peso, chiave) {
  var q = String(qt == null ? "" : qt).replace(/\s/g, "");
  if (!/^\d{1,4}$/.test(q) || Number(q) < 1) {
    alert("Indicare una quantità valida (un numero intero da 1 a 9999).");
    return;
  }
  var nome = String(articolo).replace(/%22/g, "\"").replace(/%25/g, "%");
  var unitario = vtCent(prezzo);
  var pesoUnit = vtMicro(peso);
  var varianti = [];
  // La variante scelta in ognuno dei tre menu, perche' lo script d'ordine
  // la ritrovi nel listino del negozio.
  var scelte = ["", "", ""];
  var ops = [op1, op2, op3];
  for (var i = 0; i < ops.length; i++) {
    if (!ops[i]) continue;
    var s = vtCampo(ops[i]);
    if (!s || !s.value) continue;
    var m = /^(-?[\d.]*)=(-?[\d.]*)#([\s\S]*)$/.exec(s.value);
    if (!m) continue;
    unitario += vtCent(m[1]);
    pesoUnit += vtMicro(m[2]);
    scelte[i] = m[3].replace(/ \*$/, "");
    varianti.push(scelte[i]);
  }
  var v = varianti.join(", ");
  // Il numero dell'articolo nel catalogo: lo script d'ordine prende prezzo,
  // IVA e peso dal listino con questo, anche fra articoli con lo stesso nome.
  var numero = chiave == null ? "" : String(chiave);
  var c = vtLeggi();
  var trovato = false;
  for (var k = 0; k < c.length; k++) {
    if (c[k].a == nome && (c[k].k || "") == numero && c[k].v == v && String(c[k].o) == String(scelte) &&
        c[k].p == unitario && c[k].i == iva) {
      c[k].q = Math.min(9999, c[k].q + Number(q));
      trovato = true;
    }
  }
  if (!trovato) c.push({ a: nome, k: numero, v: v, o: scelte, p: unitario, i: String(iva), q: Number(q), w: pesoUnit / 1000000 });
  vtScrivi(c);
  vtAvviso("\u00ab" + nome + (v ? " (" + v + ")" : "") + "\u00bb aggiunto al carrello.", true);
}

// ---- zona, metodo di pagamento, spese e totali ----

function vtSelect(nome) {
  var l = document.getElementsByName(nome);
  for (var i = 0; i < l.length; i++) if (l[i].tagName == "SELECT") return l[i];
  return null;
}

function vtZona() {
  var s = vtSelect("LSStato");
  var z = s && s.selectedIndex >= 0 ? parseInt(s.options[s.selectedIndex].value, 10) : ((tiposel - 1) % 4) + 1;
  return z >= 1 && z <= 4 ? z : 1;
}

function vtMetodo() {
  var s = vtSelect("Pagamento");
  if (s) return s.selectedIndex + 1;
  return Math.floor((tiposel - 1) / 4) + 1;
}

function vtVoce(nome, e) {
  var a = window[nome];
  return a && a.length > e ? a[e] : 0;
}

// pesoMicro: il peso dell'ordine in milionesimi (vtMicro).
function vtSpedizione(zona, metodo, merceCent, pesoMicro) {
  var e = (metodo - 1) * 4 + (zona - 1);
  if (tipopeso == "1") {
    for (var b = 1; b <= 9; b++) {
      var limite = vtMicro(vtVoce("imppeso" + b, e));
      if (limite > 0 && pesoMicro <= limite) return vtCent(vtVoce("impspp" + b, e));
    }
    return vtCent(vtVoce("impspp10", e));
  }
  if (merceCent <= vtCent(vtVoce("impord1", e))) return vtCent(vtVoce("impspese1", e));
  if (merceCent <= vtCent(vtVoce("impord2", e))) return vtCent(vtVoce("impspese2", e));
  return vtCent(vtVoce("impspese3", e));
}

function vtPermesso(zona, metodo) {
  var e = (metodo - 1) * 4 + (zona - 1);
  return typeof SpOk == "string" && SpOk.charAt(e) == "1";
}

function vtTotali() {
  var c = vtLeggi();
  var zona = vtZona(), metodo = vtMetodo();
  var merce = 0, peso = 0, ivaMicro = 0;
  for (var i = 0; i < c.length; i++) {
    var riga = c[i].p * c[i].q;
    merce += riga;
    peso += vtMicro(c[i].w) * c[i].q;
    ivaMicro += riga * vtAliquota(c[i].i);
  }
  var ivaZona = typeof IvaOk == "string" ? IvaOk.charAt(zona - 1) == "1" : totiva != 0;
  var iva = 0;
  if (ivacompresa != "1" && ivaZona) {
    iva = Math.round(ivaMicro / 1000000);
    if (!vtDecimali()) iva = Math.round(iva / 100) * 100;
  }
  var sped = c.length ? vtSpedizione(zona, metodo, merce, peso) : 0;
  return {
    righe: c, zona: zona, metodo: metodo, merce: merce, peso: peso, iva: iva, spedizione: sped,
    totale: merce + sped + iva, permesso: vtPermesso(zona, metodo),
    minimoOk: merce >= Math.round(minimo * 100), ivaZona: ivaZona
  };
}

function vtCella(tr, tag, testo, classe) {
  var td = document.createElement(tag);
  if (testo != null) td.textContent = testo;
  if (classe) td.className = classe;
  tr.appendChild(td);
  return td;
}

function vtDisegna() {
  var box = document.getElementById("vt-carrello");
  if (!box) return;
  var t = vtTotali();
  box.textContent = "";
  var ordine = document.getElementById("vtordine");
  if (!t.righe.length) {
    var p = document.createElement("p");
    p.className = "vt-vuoto";
    p.textContent = "Il carrello è vuoto.";
    box.appendChild(p);
    if (ordine) ordine.hidden = true;
    return;
  }
  if (ordine) ordine.hidden = false;
  var tab = document.createElement("table");
  tab.className = "vt-tabella-carrello";
  var cap = document.createElement("caption");
  cap.textContent = "Articoli nel carrello";
  tab.appendChild(cap);
  var th = document.createElement("thead"), tr = document.createElement("tr");
  ["Articolo", "Quantità", "Prezzo", "Importo", ""].forEach(function (x) {
    vtCella(tr, "th", x).setAttribute("scope", "col");
  });
  th.appendChild(tr);
  tab.appendChild(th);
  var tb = document.createElement("tbody");
  t.righe.forEach(function (r, i) {
    var tr = document.createElement("tr");
    var td = vtCella(tr, "td", r.a, "vt-c-articolo");
    td.setAttribute("data-et", "Articolo");
    if (r.v) {
      var sm = document.createElement("small");
      sm.textContent = r.v;
      td.appendChild(document.createElement("br"));
      td.appendChild(sm);
    }
    var tq = vtCella(tr, "td", null, "vt-c-qt");
    tq.setAttribute("data-et", "Quantità");
    var inp = document.createElement("input");
    inp.type = "number";
    inp.min = "1";
    inp.max = "9999";
    inp.value = String(r.q);
    inp.setAttribute("aria-label", "Quantità di " + r.a);
    inp.addEventListener("change", function () {
      var c = vtLeggi();
      var q = parseInt(inp.value, 10);
      if (c[i] && q >= 1 && q <= 9999) c[i].q = q;
      vtScrivi(c);
      vtDisegna();
    });
    tq.appendChild(inp);
    vtCella(tr, "td", vtFormatta(r.p), "vt-c-num").setAttribute("data-et", "Prezzo");
    vtCella(tr, "td", vtFormatta(r.p * r.q), "vt-c-num").setAttribute("data-et", "Importo");
    var tx = vtCella(tr, "td", null, "vt-c-togli");
    var b = document.createElement("button");
    b.type = "button";
    b.className = "vt-togli";
    b.textContent = "Rimuovi";
    b.setAttribute("aria-label", "Rimuovi " + r.a);
    b.addEventListener("click", function () {
      var c = vtLeggi();
      c.splice(i, 1);
      vtScrivi(c);
      vtDisegna();
    });
    tx.appendChild(b);
    tb.appendChild(tr);
  });
  tab.appendChild(tb);
  var tf = document.createElement("tfoot");
  var voci = [
    ["Totale merce", vtFormatta(t.merce), "vt-subtotale"],
    ["Spese di spedizione", vtFormatta(t.spedizione), "vt-spedizione"],
    // Con i prezzi IVA compresa l'imposta non e' nota qui: si dice che e'
    // inclusa, non che vale zero.
    ivacompresa == "1" ? ["IVA", "inclusa nei prezzi", "vt-iva"]
      : [t.ivaZona ? "IVA" : "IVA (non applicata)", vtFormatta(t.iva), "vt-iva"],
    ["Totale ordine", vtFormatta(t.totale), "vt-totale"]
  ];
  voci.forEach(function (v) {
    var tr = document.createElement("tr");
    var h = vtCella(tr, "th", v[0]);
    h.setAttribute("scope", "row");
    h.colSpan = 3;
    var d = vtCella(tr, "td", v[1], "vt-c-num");
    d.id = v[2];
    vtCella(tr, "td", "");
    tf.appendChild(tr);
  });
  tab.appendChild(tf);
  box.appendChild(tab);
  var msg = [];
  if (!t.permesso) msg.push("La modalità di pagamento scelta non è disponibile per il paese di spedizione.");
  if (!t.minimoOk) msg.push("L'importo minimo dell'ordine è " + vtFormatta(Math.round(minimo * 100)) + ".");
  if (msg.length) {
    var p = document.createElement("p");
    p.className = "vt-errore";
    p.id = "vt-messaggio";
    p.setAttribute("role", "alert");
    p.textContent = msg.join(" ");
    box.appendChild(p);
  }
}

function MostraCarrello() {
  document.write("<div id=\"vt-carrello\" class=\"vt-carrello\" aria-live=\"polite\"></div>");
  if (document.readyState == "loading") document.addEventListener("DOMContentLoaded", vtDisegna);
  else vtDisegna();
}

function SpedPaese() {
  vtDisegna();
}

function vtNascosto(form, nome, valore) {
  var i = document.createElement("input");
  i.type = "hidden";
  i.name = nome;
  i.value = valore;
  i.className = "vt-dato-ordine";
  form.appendChild(i);
}

// Prima dell'invio: controlla l'ordine e mette nel modulo gli articoli del
// carrello; lo script d'ordine ricalcola comunque ogni importo.
function CaricaDati() {
  var form = document.getElementById("vtordine") || document.forms.vtordine;
  if (!form) return false;
  var t = vtTotali();
  if (!t.righe.length) { alert("Il carrello è vuoto."); return false; }
  if (!t.permesso) { alert("La modalità di pagamento scelta non è disponibile per il paese di spedizione."); return false; }
  if (!t.minimoOk) { alert("L'importo minimo dell'ordine è " + vtFormatta(Math.round(minimo * 100)) + "."); return false; }
  var email = form.elements.email;
  if (email && !/^[^\s@<>()",;:]+@[^\s@<>()",;:]+\.[^\s@<>()",;:]+$/.test(email.value)) {
    alert("Indicare un indirizzo e-mail valido.");
    email.focus();
    return false;
  }
  var vecchi = form.querySelectorAll(".vt-dato-ordine");
  for (var k = 0; k < vecchi.length; k++) vecchi[k].parentNode.removeChild(vecchi[k]);
  vtNascosto(form, "n_articoli", String(t.righe.length));
  t.righe.forEach(function (r, i) {
    var n = i + 1;
    vtNascosto(form, "articolo_" + n, r.a);
    vtNascosto(form, "chiave_" + n, r.k || "");
    vtNascosto(form, "varianti_" + n, r.v);
    for (var k = 1; k <= 3; k++) vtNascosto(form, "opzione_" + n + "_" + k, (r.o && r.o[k - 1]) || "");
    vtNascosto(form, "prezzo_" + n, vtDecimale(r.p));
    vtNascosto(form, "iva_" + n, r.i);
    vtNascosto(form, "qt_" + n, String(r.q));
    vtNascosto(form, "peso_" + n, vtPeso(vtMicro(r.w)));
  });
  var s = vtSelect("LSStato");
  vtNascosto(form, "paese", s && s.selectedIndex >= 0 ? s.options[s.selectedIndex].text : "");
  vtNascosto(form, "metodo", String(t.metodo));
  vtNascosto(form, "totale", vtDecimale(t.totale));
  return true;
}

// ---- pagina di ringraziamento ----

function VtDatiOrdine() {
  var q = new URLSearchParams(window.location.search);
  var ordine = q.get("ordine") || "", totale = q.get("totale") || "";
  return {
    ordine: /^[A-Za-z0-9-]{1,40}$/.test(ordine) ? ordine : "",
    totale: /^\d{1,12}(\.\d{1,2})?$/.test(totale) ? totale : ""
  };
}

function VtGrazie() {
  var d = VtDatiOrdine();
  var el = document.getElementById("vt-esito-ordine");
  if (el && d.ordine) {
    el.textContent = "Numero d'ordine: " + d.ordine + (d.totale ? " \u2013 totale " + vtFormatta(vtCent(d.totale)) : "") + ".";
  }
  if (d.ordine) vtScrivi([]);
}

// ---- navigazione, foto e ricerca ----

function RepGoTo() {
  var f = document.forms.vtReparti;
  var s = f ? f.elements.vtRepartiMenu : vtSelect("vtRepartiMenu");
  if (!s || s.selectedIndex < 0) return;
  var v = s.options[s.selectedIndex].value;
  if (v && v != "#") window.location.href = v;
}

function PopupImage(file, larghezza, altezza) {
  var d = document.getElementById("vt-foto");
  if (!d || typeof d.showModal != "function") {
    window.open(file, "vtfoto", "width=" + (larghezza + 20) + ",height=" + (altezza + 20) + ",resizable=yes,scrollbars=yes");
    return false;
  }
  var img = d.querySelector("img");
  img.src = file;
  img.style.maxWidth = "min(" + larghezza + "px, 90vw)";
  img.style.maxHeight = "min(" + altezza + "px, 80vh)";
  d.showModal();
  return false;
}

function vtParole(testo) {
  return String(testo).toLowerCase().split(/\s+/).map(function (p) {
    return p.replace(/[^a-z0-9àèéìòù]/g, "");
  }).filter(function (p) { return p.length > 0; });
}

function SubmitSearchForm(n) {
  var form = document.activeElement && document.activeElement.form;
  if (!form || !form.elements.parole) {
    var campi = document.getElementsByName("parole");
    form = campi.length >= n ? campi[n - 1].form : (campi.length ? campi[0].form : null);
  }
  if (!form) return false;
  if (!vtParole(form.elements.parole.value).length) {
    alert("Inserire almeno una parola da cercare.");
    form.elements.parole.focus();
    return false;
  }
  if (!form.getAttribute("action")) {
    alert("La ricerca non è disponibile.");
    return false;
  }
  return true;
}

// Le immagini scritte dal programma non hanno testo alternativo: i segni di
// novita' e offerta lo prendono dal loro significato, le foto dal titolo
// dell'articolo (o dal testo della cella della vetrina) quando sono l'unico
// contenuto di un collegamento o la foto di un articolo; le altre, accanto a
// un testo che le nomina gia', restano decorative.
function vtTestoVicino(img) {
  var el = img.closest(".vt-articolo, .vt-scheda");
  var t = el && el.querySelector(".vt-art-titolo");
  if (t) return t.textContent;
  el = img.closest("td, li, .vt-risultato");
  return el ? el.innerText || el.textContent : "";
}

function vtTestiAlternativi() {
  var l = document.getElementsByTagName("img");
  for (var i = 0; i < l.length; i++) {
    var img = l[i];
    if (img.hasAttribute("alt")) continue;
    var src = img.getAttribute("src") || "";
    var alt = "";
    if (/(^|\/)vtas_novita\.gif$/i.test(src)) alt = "Novit\u00e0";
    else if (/(^|\/)vtas_offerta\.gif$/i.test(src)) alt = "Offerta";
    else {
      var a = img.closest("a");
      var solo = a && !a.textContent.replace(/\s/g, "");
      if (solo || (!a && img.closest(".vt-articolo, .vt-scheda"))) alt = vtTestoVicino(img).replace(/\s+/g, " ").trim();
    }
    img.setAttribute("alt", alt);
  }
}

document.addEventListener("DOMContentLoaded", function () {
  vtTestiAlternativi();
  vtAggiornaConta();
  var s = vtSelect("vtRepartiMenu");
  if (s && !s.getAttribute("aria-label")) s.setAttribute("aria-label", "Vai al reparto");
  var d = document.getElementById("vt-foto");
  if (d) {
    d.addEventListener("click", function (e) { if (e.target == d || e.target.tagName == "BUTTON") d.close(); });
  }
  var m = document.getElementById("vt-apri-menu");
  if (m) {
    m.addEventListener("click", function () {
      var aperto = document.body.classList.toggle("vt-menu-aperto");
      m.setAttribute("aria-expanded", aperto ? "true" : "false");
    });
  }
});
