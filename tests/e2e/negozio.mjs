// The site the end-to-end walk built, in headless Chromium: the pages served
// under /shop/ and the order script run as CGI on the port the merchant
// typed; two articles put in the cart from their department's page, the
// totals checked against the shop's tables (a copy of its catalogue), the
// order sent and the mail the stand-in sendmail received checked.
// Arguments: --pagine --script --catalogo --porta --posta --out.
import fs from "node:fs";
import os from "node:os";
import path from "node:path";
import { verifica, esiti, avviaServer, avviaBrowser, nuovaPagina, testoDi, scegliPaese, scegliMetodo, totaliMostrati, sql,
  articolo, cent, atteso, euro, inviaOrdine } from "../site/sito.mjs";

const args = {};
for (let i = 2; i < process.argv.length; i += 2) args[process.argv[i].replace(/^--/, "")] = process.argv[i + 1];
const tmp = fs.mkdtempSync(path.join(os.tmpdir(), "vetrasto-e2e-"));

const server = await avviaServer({ pagine: args.pagine, script: args.script, prefisso: "/shop/" }, Number(args.porta));
const base = `http://127.0.0.1:${args.porta}/shop`;
const browser = await avviaBrowser(fs.mkdtempSync(path.join(tmp, "profilo-")));
const db = args.catalogo;
try {
  const errori = [];
  const page = await nuovaPagina(browser, errori);
  await page.setViewport({ width: 1280, height: 900 });
  await page.goto(`${base}/index.htm`, { waitUntil: "load" });
  verifica((await page.title()).includes("Bottega Aurora") || (await page.content()).includes("Bottega Aurora"),
    "il titolo del negozio nella pagina d'ingresso");
  await page.screenshot({ path: path.join(args.out, "sito-ingresso.png"), fullPage: true });

  // Two articles of the coffee department: two of the first, one of the second (on offer).
  const primo = articolo(db, (a) => a.codice == "CAF-01"), secondo = articolo(db, (a) => a.codice == "CAF-02");
  await page.goto(`${base}/${primo.pagina}.htm`, { waitUntil: "load" });
  const compra = await page.$$("a.vt-compra");
  verifica(compra.length == 2, `due articoli nella pagina del reparto (${compra.length})`);
  await page.$eval("input[name=qt1]", (e) => { e.value = "2"; });
  await compra[0].evaluate((a) => a.click());
  await page.waitForSelector("#vt-avviso.vt-visibile", { timeout: 5000 }).catch(() => null);
  await compra[1].evaluate((a) => a.click());
  await page.screenshot({ path: path.join(args.out, "sito-reparto.png"), fullPage: true });
  verifica((await testoDi(page, "#vt-conta")) == "3", "il contatore del carrello segna 3");

  // Prices shown with VAT included, when the shop says so: the unit price
  // with its VAT, in cents, and no VAT added.
  const ivaCompresa = sql(db, "SELECT ivacompresa FROM generale")[0].ivacompresa != 0;
  const prezzo = (a) => {
    const netto = cent(a.offerta ? a.offertaprezzo : a.prezzo);
    return ivaCompresa ? Math.round(netto * (1 + a.ivarep / 100)) : netto;
  };
  const riga = (a, qt) => ({ prezzo: prezzo(a), qt, iva: ivaCompresa ? 0 : a.ivarep / 100 });
  const righe = [riga(primo, 2), riga(secondo, 1)];
  verifica(secondo.offerta && cent(secondo.offertaprezzo) == 490, "il secondo articolo è in offerta a 4,90");
  await page.click("a.vt-carrello-link");
  await page.waitForSelector("#vt-totale");
  const paesi = sql(db, "SELECT paese, zona FROM paesi");
  // Germany by bank transfer (zone 2 has no cash on delivery), then Italy cash on delivery.
  for (const [nome, metodo] of [["Germania", 2], ["Italia", 1]]) {
    const paese = paesi.find((p) => p.paese == nome);
    await scegliPaese(page, nome);
    await scegliMetodo(page, metodo);
    const a = atteso(db, righe, metodo, paese.zona);
    const visti = await totaliMostrati(page);
    const attesi = { merce: euro(a.merce), sped: euro(a.sped), iva: ivaCompresa ? "inclusa nei prezzi" : euro(a.iva),
      totale: euro(a.totale) };
    for (const k of ["merce", "sped", "iva", "totale"])
      verifica(visti[k] == attesi[k], `${k} in ${nome}: ${visti[k]} = ${attesi[k]}`);
  }
  await page.screenshot({ path: path.join(args.out, "sito-carrello.png"), fullPage: true });

  // The order, cash on delivery to Italy.
  fs.rmSync(args.posta, { force: true });
  await inviaOrdine(page);
  const a = atteso(db, righe, 1, 1);
  verifica(/\/thankyou1\.htm\?ordine=/.test(page.url()), `pagina di ringraziamento (${page.url()})`);
  verifica(((await testoDi(page, "#vt-esito-ordine")) || "").includes(euro(a.totale)), "numero e totale dell'ordine mostrati");
  await page.screenshot({ path: path.join(args.out, "sito-grazie.png"), fullPage: true });
  const mail = fs.existsSync(args.posta) ? fs.readFileSync(args.posta, "utf8") : "";
  verifica(mail.includes(`TOTALE ORDINE: ${euro(a.totale)}`) && mail.includes(primo.titolo) && mail.includes(secondo.titolo),
    `la posta dell'ordine riporta i due articoli e il totale ${euro(a.totale)}`);
  verifica(/ordini@bottega-aurora\.it/.test(mail), "l'ordine va all'indirizzo degli ordini del negozio");
  verifica((mail.match(/----FINE----/g) || []).length == 2, "ordine al negozio e conferma al cliente");
  verifica(mail.includes("Bottega Aurora") && !mail.includes("ATTENZIONE"), "la firma del negozio, nessuna differenza col listino");
  verifica(errori.length == 0, `nessun errore di script (${errori.join(" | ")})`);
  await page.close();
} catch (e) {
  verifica(false, String(e.stack || e));
} finally {
  await browser.close();
  server.close();
  fs.rmSync(tmp, { recursive: true, force: true });
}
process.exit(esiti.falliti ? 1 : 0);
