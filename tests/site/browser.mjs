// The demo shop built with each template set, served by a local web server
// on 127.0.0.1 that runs the scripts folder's Perl scripts as CGI, driven in
// headless Chromium: jump menu, purchase with a variant, cart totals against
// the catalogue, order with a stand-in sendmail, search; then the demo shop
// with hostile texts. Screenshots of the home page, a department and the
// cart, phone and desktop sized, go to the output folder.
import { spawnSync, execFileSync } from "node:child_process";
import fs from "node:fs";
import os from "node:os";
import path from "node:path";
import { verifica, esiti, avviaServer, avviaBrowser, nuovaPagina, testoDi, scegliPaese, scegliMetodo, totaliMostrati, sql,
  articolo, cent, atteso, euro, inviaOrdine } from "./sito.mjs";

const args = {};
for (let i = 2; i < process.argv.length; i += 2) args[process.argv[i].replace(/^--/, "")] = process.argv[i + 1];
const out = path.resolve(args.out || "site-output");
fs.mkdirSync(out, { recursive: true });
const tmp = fs.mkdtempSync(path.join(os.tmpdir(), "vetrasto-site-"));

const sito = { pagine: "", script: "" };
const server = await avviaServer(sito);
const porta = server.address().port;
const base = `http://127.0.0.1:${porta}`;

const posta = path.join(tmp, "posta.txt");
const sendmail = path.join(tmp, "sendmail");
fs.writeFileSync(sendmail, `#!/bin/sh\n{ echo "ARGS: $*"; cat; echo '----FINE----'; } >> '${posta}'\n`, { mode: 0o755 });

// `cambia`, when given, changes the catalogue (its path) before the build.
function costruisci(set, ostile, cambia) {
  const shop = path.join(tmp, `negozio-${set}${ostile ? "-ostile" : ""}${cambia ? "-cambiato" : ""}`);
  const r1 = spawnSync(args.mkdemo, [shop, "--url", `127.0.0.1:${porta}`, "--sendmail", sendmail, ...(ostile ? ["--ostile"] : [])],
    { env: { ...process.env, VETRASTO_HOME: args.home }, encoding: "utf8" });
  if (r1.status != 0) throw new Error("vetrasto-mkdemo: " + r1.stderr);
  if (cambia) cambia(path.join(shop, "catalog.mdb"));
  const r2 = spawnSync(args.bench, ["build", shop, path.join(args.home, "template", set)],
    { env: { ...process.env, VETRASTO_HOME: args.home }, encoding: "utf8" });
  if (r2.status != 0) throw new Error("vetrasto-bench build: " + r2.stderr + r2.stdout);
  Object.assign(sito, { pagine: path.join(shop, "online"), script: path.join(shop, "scripts") });
  return shop;
}

// The order script's price list, for a build that did not write one:
// written by the build's generator (through vetrasto-datiordine) from the
// catalogue rows of the articles given, whose departments have no discount.
function listino(shop, db, articoli) {
  const script = fs.readdirSync(path.join(shop, "scripts")).find((n) => /^vtorder.*\.pl$/.test(n));
  const file = path.join(shop, "scripts", script.replace(/^vtorder(.*)\.pl$/, "prezzi$1.tsv"));
  if (fs.existsSync(file)) return;
  const gen = sql(db, "SELECT * FROM generale")[0];
  const opzioni = sql(db, "SELECT * FROM opzioni");
  const iva = gen.ivacompresa != 0;
  const righe = articoli.map((a) => ({
    chiave: String(a.ID),
    codice: gen.codincart != 0 ? a.codice || "" : "", titolo: a.titolo || "",
    prezzo: String((a.prezzo * (iva ? 1 + a.ivarep / 100 : 1)) / 10000), aliquota: String(iva ? 0 : a.ivarep || 0), peso: a.peso || 0,
    varianti: [a.opzione1, a.opzione2, a.opzione3].map((id) => {
      const o = opzioni.find((x) => x.ID == id && id != 1);
      const voci = [];
      for (let i = 1; o && i <= 15; i++) {
        const t = (o["opzione" + i] || "").trim();
        if (t) voci.push({ testo: t.replace(/\|/g, "\""), prezzo: String((o["prezzo" + i] || 0) * (iva ? 1 + a.ivarep / 100 : 1) / 10000), peso: o["peso" + i] || 0 });
      }
      return voci;
    }),
  }));
  fs.writeFileSync(file, execFileSync(args.datiordine, { input: JSON.stringify({ decimali: "0.00", righe }) }));
}

const browser = await avviaBrowser(fs.mkdtempSync(path.join(tmp, "profilo-")));

async function fotografa(page, nome) {
  for (const [dim, w, h] of [["telefono", 390, 844], ["desktop", 1280, 900]]) {
    await page.setViewport({ width: w, height: h, isMobile: dim == "telefono", deviceScaleFactor: 1 });
    await page.screenshot({ path: path.join(out, `${nome}-${dim}.png`), fullPage: true });
  }
  await page.setViewport({ width: 1280, height: 900 });
}

// What a screen reader cannot name: pictures without a text alternative,
// links without a name, form fields without a label.
async function senzaNome(page) {
  return page.evaluate(() => {
    const nome = (el) => (el.getAttribute("aria-label") || el.textContent || "").trim()
      || [...el.querySelectorAll("img")].map((i) => i.alt || "").join("").trim();
    const out = [];
    for (const i of document.querySelectorAll("img")) if (!i.hasAttribute("alt")) out.push("img " + i.getAttribute("src"));
    for (const a of document.querySelectorAll("a[href]")) if (!nome(a)) out.push("a " + a.getAttribute("href"));
    for (const c of document.querySelectorAll("input:not([type=hidden]), select, textarea"))
      if (!c.labels.length && !c.getAttribute("aria-label")) out.push(c.tagName + " " + c.name);
    return out;
  });
}

async function percorso(set) {
  const shop = costruisci(set, false);
  const db = path.join(shop, "catalog.mdb");
  const errori = [];
  const page = await nuovaPagina(browser, errori);
  await page.goto(`${base}/index.htm`, { waitUntil: "load" });
  verifica(await page.$("form[name=vtReparti] select[name=vtRepartiMenu]"), `${set}: menu dei reparti nella pagina d'ingresso`);
  verifica((await page.$$(".vt-vetrina td")).length > 0, `${set}: vetrina con articoli`);
  const anonimi = await senzaNome(page);
  verifica(anonimi.length == 0, `${set}: pagina d'ingresso senza immagini, collegamenti o campi senza nome (${anonimi.join(", ")})`);
  await fotografa(page, `${set}-ingresso`);

  // Jump menu to the department of the first article.
  const art = articolo(db, (a) => a.codice == "CAF-001");
  await Promise.all([page.waitForNavigation({ waitUntil: "load" }), page.select("select[name=vtRepartiMenu]", `${art.pagina}.htm`)]);
  verifica(page.url().endsWith(`/${art.pagina}.htm`), `${set}: il menu porta al reparto (${page.url()})`);
  verifica(await page.$eval(".vt-art-descrizione b", (e) => e.textContent).catch(() => "") == "tostata a legna",
    `${set}: l'HTML del negozio nella descrizione resta HTML`);
  await fotografa(page, `${set}-reparto`);
  const anonimiReparto = await senzaNome(page);
  verifica(anonimiReparto.length == 0, `${set}: reparto senza immagini, collegamenti o campi senza nome (${anonimiReparto.join(", ")})`);
  verifica(await page.$eval(".vt-badge img[src$='vtas_offerta.gif']", (i) => i.alt).catch(() => "") == "Offerta",
    `${set}: il segno dell'offerta si legge "Offerta"`);

  // The article with its first variant set on its second choice, two pieces.
  const opz = sql(db, "SELECT * FROM opzioni").find((o) => o.ID == art.opzione1);
  const sel = await page.$("select[name=op11]");
  verifica(sel, `${set}: menu della variante op11`);
  const valori = await page.$$eval("select[name=op11] option", (o) => o.map((x) => x.value));
  if (sel) await page.select("select[name=op11]", valori[1]);
  await page.$eval("input[name=qt1]", (e) => { e.value = "2"; });
  await page.$eval("a.vt-compra", (a) => a.click());
  await page.waitForSelector("#vt-avviso.vt-visibile", { timeout: 5000 }).catch(() => null);
  verifica((await testoDi(page, "#vt-conta")) == "2", `${set}: il contatore del carrello segna 2`);

  const righe = [{ prezzo: cent(art.prezzo) + cent(opz.prezzo2), qt: 2, iva: art.ivarep / 100 }];
  await page.click("a.vt-carrello-link");
  await page.waitForSelector("#vt-totale");
  verifica((await testoDi(page, ".vt-c-articolo")).includes(art.titolo), `${set}: l'articolo è nel carrello dopo il cambio di pagina`);
  verifica(((await testoDi(page, ".vt-c-articolo small")) || "").startsWith(opz.opzione2 + ", "), `${set}: varianti nel carrello`);

  // Country and method: Italy with cash on delivery, then the EU with prepayment.
  const paesi = sql(db, "SELECT paese, zona FROM paesi").sort((x, y) => x.zona - y.zona);
  const italia = paesi.find((p) => p.zona == 1), ue = paesi.find((p) => p.zona == 2);
  for (const [paese, metodo] of [[ue, 2], [italia, 1]]) {
    await scegliPaese(page, paese.paese);
    await scegliMetodo(page, metodo);
    const a = atteso(db, righe, metodo, paese.zona);
    const visti = await totaliMostrati(page);
    for (const k of ["merce", "sped", "iva", "totale"])
      verifica(visti[k] == euro(a[k]), `${set}: ${k} in ${paese.paese} col metodo ${metodo}: ${visti[k]} = ${euro(a[k])}`);
  }
  // Cash on delivery is not offered in the EU zone.
  await scegliPaese(page, ue.paese);
  await scegliMetodo(page, 1);
  verifica(/non è disponibile/.test((await testoDi(page, "#vt-messaggio")) || ""), `${set}: contrassegno non disponibile nella UE`);
  await scegliPaese(page, italia.paese);
  await fotografa(page, `${set}-carrello`);

  // The order.
  listino(shop, db, [art]);
  fs.rmSync(posta, { force: true });
  await inviaOrdine(page);
  const a = atteso(db, righe, 1, 1);
  const tot = (a.totale / 100).toFixed(2);
  verifica(new RegExp(`/thankyou1\\.htm\\?ordine=[0-9-]+&totale=${tot.replace(".", "\\.")}$`).test(page.url()),
    `${set}: pagina di ringraziamento del contrassegno (${page.url()})`);
  verifica(((await testoDi(page, "#vt-esito-ordine")) || "").includes(euro(a.totale)), `${set}: numero e totale dell'ordine mostrati`);
  verifica(/Pagamento in contrassegno/.test(await page.content()), `${set}: frammento del contrassegno nella pagina`);
  const mail = fs.existsSync(posta) ? fs.readFileSync(posta, "utf8") : "";
  verifica(mail.includes(`TOTALE ORDINE: ${euro(a.totale)}`) && mail.includes(art.titolo) && mail.includes(opz.opzione2),
    `${set}: la posta dell'ordine riporta articolo, variante e totale`);
  verifica((mail.match(/----FINE----/g) || []).length == 2, `${set}: ordine al negozio e conferma al cliente`);
  verifica(!mail.includes("ATTENZIONE"), `${set}: prezzi, aliquota e peso del carrello coincidono con il listino, e il totale con quello dello script`);
  verifica((await testoDi(page, "#vt-conta")) == "", `${set}: il carrello è vuoto dopo l'ordine`);

  // Search.
  await page.goto(`${base}/index.htm`, { waitUntil: "load" });
  await page.type("form[name=vtcerca] input[name=parole]", "moka");
  await Promise.all([page.waitForNavigation({ waitUntil: "load" }), page.click("form[name=vtcerca] button")]);
  const titoli = await page.$$eval(".vt-risultato strong", (e) => e.map((x) => x.textContent));
  const moka = sql(db, "SELECT titolo, sottotitolo, descrizione, note FROM articoli")
    .filter((r) => [r.titolo, r.sottotitolo, r.descrizione, r.note].some((t) => /\bmoka\b/i.test(t || ""))).map((r) => r.titolo);
  verifica(moka.length > 0 && moka.every((t) => titoli.includes(t)), `${set}: la ricerca di "moka" trova ${moka.join(", ")} (${titoli.join(", ")})`);
  const link = await page.$eval(".vt-risultato a", (a) => a.href).catch(() => "");
  verifica(link.startsWith(base + "/"), `${set}: il risultato porta alla pagina dell'articolo (${link})`);
  verifica(errori.length == 0, `${set}: nessun errore di script (${errori.join(" | ")})`);
  await page.close();
}

// Shipping by weight on the order page of the shop built last: a weight
// equal to a band's limit stays in the band however the decimals add up,
// and the order form carries the weight as plain decimals.
async function pesi() {
  const errori = [];
  const page = await nuovaPagina(browser, errori);
  await page.goto(`${base}/ordine.htm`, { waitUntil: "load" });
  const casi = [
    // unit weight, quantity, band limit, expected cost in cents, unit weight sent
    [0.1, 3, ".3", 400, "0.1"],
    [0.1, 4, ".3", 700, "0.1"],
    [0.30000000000000004, 1, ".3", 400, "0.3"],
    [0.25, 8, "2", 400, "0.25"],
    [0.7, 3, "2.1", 400, "0.7"],
    // The heaviest weight a build publishes reaches the order script whole.
    [9999999, 1, "2", 2000, "9999999"],
  ];
  const visti = await page.evaluate((casi) => casi.map(([w, q, limite]) => {
    tipopeso = "1";
    for (let b = 1; b <= 10; b++) { window["imppeso" + b] = new Array(16).fill(0); window["impspp" + b] = new Array(16).fill(0); }
    imppeso8[0] = Number(limite); impspp8[0] = 4; imppeso9[0] = 5; impspp9[0] = 7; impspp10[0] = 20;
    const paese = document.querySelector("select[name=LSStato]");
    paese.selectedIndex = [...paese.options].findIndex((o) => o.value == "1");
    document.querySelector("select[name=Pagamento]").selectedIndex = 0;
    vtScrivi([{ a: "Prova", v: "", p: 100000, i: "0", q: q, w: w }]);
    const form = document.getElementById("vtordine");
    form.elements.email.value = "prova@example.it";
    const inviato = CaricaDati();
    const r = { sped: vtTotali().spedizione, peso: inviato && form.elements.peso_1 ? form.elements.peso_1.value : null };
    vtScrivi([]);
    return r;
  }), casi);
  casi.forEach(([w, q, limite, sped, peso], i) => {
    verifica(visti[i].sped == sped, `peso ${w} x ${q} con fascia fino a ${limite}: spese ${visti[i].sped} = ${sped}`);
    verifica(visti[i].peso == peso, `peso ${w} x ${q}: nel modulo d'ordine ${visti[i].peso} = ${peso}`);
  });
  // Prices with VAT included: the cart says so instead of a VAT of zero.
  const iva = await page.evaluate(() => {
    ivacompresa = "1";
    vtScrivi([{ a: "Prova", v: "", p: 100000, i: "0", q: 1, w: 0 }]);
    vtDisegna();
    const r = document.getElementById("vt-iva").textContent;
    vtScrivi([]);
    return r;
  });
  verifica(iva == "inclusa nei prezzi", `IVA compresa: il carrello la dice inclusa (${iva})`);
  verifica(errori.length == 0, `pesi: nessun errore di script (${errori.join(" | ")})`);
  await page.close();
}

async function ostile() {
  const shop = costruisci("classico", true);
  const db = path.join(shop, "catalog.mdb");
  const errori = [];
  const page = await nuovaPagina(browser, errori);
  await page.goto(`${base}/index.htm`, { waitUntil: "load" });
  verifica(await page.evaluate(() => typeof Acquista == "function" && typeof SpedPaese == "function"), "testi ostili: lo script delle pagine si carica");
  const art = articolo(db, () => true);
  await page.goto(`${base}/${art.pagina}.htm`, { waitUntil: "load" });
  const valori = await page.$$eval("select[name=op21] option", (o) => o.map((x) => x.value));
  if (valori.length > 2) await page.select("select[name=op21]", valori[2]);
  await page.$eval("input[name=qt1]", (e) => { e.value = "3"; });
  await page.$eval("a.vt-compra", (a) => a.click());
  await page.goto(`${base}/ordine.htm`, { waitUntil: "load" });
  const nome = (await testoDi(page, ".vt-c-articolo")) || "";
  verifica(nome.includes('Miscela "Bar" l\'Italia, $5 @casa \\ fine'), `testi ostili: titolo intero nel carrello (${nome})`);
  for (const [k, v] of Object.entries({ nome: "O'Brien", cognome: "D\"Arco $x", indirizzo: "Via \\ 1", cap: "1",
    citta: "@", telefono: "1", email: "ob@example.it" })) await page.type(`form#vtordine [name=${k}]`, v);
  await page.click("form#vtordine [name=accetto]");
  listino(shop, db, [art]);
  fs.rmSync(posta, { force: true });
  await Promise.all([page.waitForNavigation({ waitUntil: "load", timeout: 10000 }), page.click("form#vtordine button[type=submit]")])
    .catch((e) => errori.push(String(e)));
  verifica(/\/thankyou1\.htm\?/.test(page.url()), `testi ostili: ordine inviato (${page.url()} ${errori.join(" | ")})`);
  const mail = fs.existsSync(posta) ? fs.readFileSync(posta, "utf8") : "";
  verifica(mail.includes("Grazie! \"Bottega\" $x @y \\z"), "testi ostili: la firma arriva intatta nella posta");
  verifica(!/^(Bcc|Cc):/m.test(mail), "testi ostili: nessuna intestazione aggiunta");
  verifica(mail.includes("Nuovo ordine") && !mail.includes("ATTENZIONE"), "testi ostili: articolo e variante ritrovati nel listino");
  await page.goto(`${base}/index.htm`, { waitUntil: "load" });
  await page.type("form[name=vtcerca] input[name=parole]", "miscela");
  await Promise.all([page.waitForNavigation({ waitUntil: "load" }), page.click("form[name=vtcerca] button")]);
  const titoli = await page.$$eval(".vt-risultato strong", (e) => e.map((x) => x.textContent));
  verifica(titoli.some((t) => t.includes('Miscela "Bar"')), `testi ostili: la ricerca legge il file dei dati (${titoli.join(" | ")})`);
  verifica(errori.length == 0, `testi ostili: nessun errore di script (${errori.join(" | ")})`);
  await page.close();
}

// Names as the merchant writes them, with character references of every
// kind (a payment method "Contrassegno &ndash; corriere (+5&nbsp;&euro;)", a
// country "C&ocirc;te d&rsquo;Ivoire"), a currency text with quotes and an
// article's title holding a "<" that opens no tag, a TAB and a NUL: the cart
// shows the title as the page does, and an order sent from the page as a
// customer sends it reaches the shop, with no warning, under each method.
async function nomi() {
  const metodi = ["Contrassegno &ndash; corriere (+5&nbsp;&euro;)", "Bonifico &laquo;anticipato&raquo; &#150; IBAN"];
  let art = null;
  const shop = costruisci("classico", false, (db) => {
    art = articolo(db, (a) => a.codice == "CAF-001");
    // Text columns carry the database's own collation: rows are chosen here.
    const paesesel = sql(db, "SELECT paesesel FROM pagamento")[0].paesesel;
    const paese = sql(db, "SELECT rowid AS r, strID FROM paesi").find((p) => p.strID == paesesel);
    execFileSync("sqlite3", [db, [
      `UPDATE pagamento SET nome1='${metodi[0]}', nome2='${metodi[1]}'`,
      `UPDATE paesi SET paese='C&ocirc;te d&rsquo;Ivoire' WHERE rowid=${paese.r}`,
      "UPDATE generale SET valuta1='\"EUR\"'",
      `UPDATE articoli SET titolo='1 < 2 > 0 Miscela' || char(9) || 'Bar' || char(0) || ' oro' WHERE ID=${art.ID}`,
    ].join("; ")]);
  });
  const pagina = fs.readFileSync(path.join(shop, "online", `${art.pagina}.htm`));
  verifica(!pagina.includes(0), "nomi: nessun NUL nella pagina del reparto");
  const errori = [];
  const page = await nuovaPagina(browser, errori);
  for (const metodo of [1, 2]) {
    await page.goto(`${base}/${art.pagina}.htm`, { waitUntil: "load" });
    await page.$eval("input[name=qt1]", (e) => { e.value = "2"; });  // above the minimum order
    const titolo = await page.$eval(".vt-art-titolo", (e) => e.textContent).catch(() => "");
    await page.$eval("a.vt-compra", (a) => a.click());
    await page.goto(`${base}/ordine.htm`, { waitUntil: "load" });
    const nome = await page.$eval(".vt-c-articolo", (e) => e.childNodes[0].textContent).catch(() => "");
    verifica(nome.endsWith(" Miscela\tBar oro") || nome == "Miscela\tBar oro",
      `nomi: il titolo nel carrello con la sua tabulazione (${JSON.stringify(nome)})`);
    verifica(titolo.startsWith("1 < 2 > 0 ") && (nome == titolo || nome.endsWith(" " + titolo)),
      `nomi: il titolo nel carrello come la pagina lo mostra (${JSON.stringify(nome)}, ${JSON.stringify(titolo)})`);
    await scegliPaese(page, "C\u00f4te d\u2019Ivoire");
    await scegliMetodo(page, metodo);
    const totale = (await totaliMostrati(page)).totale || "";
    verifica(totale.startsWith("\"EUR\" "), `nomi: il totale del carrello nella valuta del negozio (${totale})`);
    fs.rmSync(posta, { force: true });
    await inviaOrdine(page).catch((e) => errori.push(String(e)));
    verifica(new RegExp(`/thankyou${metodo}\\.htm\\?ordine=`).test(page.url()),
      `nomi: ordine accettato col metodo ${metodo} (${page.url()} ${errori.join(" | ")})`);
    const mail = fs.existsSync(posta) ? fs.readFileSync(posta, "utf8") : "";
    const attesi = ["Pagamento: Contrassegno \u2013 corriere (+5 \u20ac)", "Pagamento: Bonifico \u00abanticipato\u00bb \u2013 IBAN"];
    verifica(mail.includes(attesi[metodo - 1]) && mail.includes("Spedizione in: C\u00f4te d\u2019Ivoire"),
      `nomi: metodo e paese nella posta, col metodo ${metodo}`);
    verifica(mail.includes(`TOTALE ORDINE: ${totale}\n`), `nomi: il totale della posta con la sua valuta (${totale})`);
    verifica(mail.includes("Miscela Bar oro") && !mail.includes("ATTENZIONE"),
      `nomi: articolo, prezzi e totale ritrovati nel listino, col metodo ${metodo}`);
    verifica(mail.includes("- 1 < 2 > 0 Miscela Bar oro"), `nomi: il titolo nella posta come la pagina lo mostra, col metodo ${metodo}`);
  }
  verifica(errori.length == 0, `nomi: nessun errore di script (${errori.join(" | ")})`);
  await page.close();
}

try {
  for (const set of ["classico", "moderno"]) {
    try { await percorso(set); } catch (e) { verifica(false, `${set}: ${e.stack || e}`); }
  }
  try { await pesi(); } catch (e) { verifica(false, `pesi: ${e.stack || e}`); }
  try { await ostile(); } catch (e) { verifica(false, `testi ostili: ${e.stack || e}`); }
  try { await nomi(); } catch (e) { verifica(false, `nomi: ${e.stack || e}`); }
} finally {
  await browser.close();
  server.close();
  fs.rmSync(tmp, { recursive: true, force: true });
}
console.log(`schermate in ${out}`);
process.exit(esiti.falliti ? 1 : 0);
