// What the site's browser tests share: their checks, a local web server for
// a built shop (its pages folder under a prefix, and /cgi-bin/*.pl run as CGI
// by Perl from its scripts folder), headless Chromium and its pages (script
// errors collected, texts read, the cart's country and method chosen and its
// totals read), the catalogue read with the sqlite3 shell, and the cart's
// totals computed from the shop's tables.
import { spawn, execFileSync } from "node:child_process";
import fs from "node:fs";
import http from "node:http";
import path from "node:path";
import { createRequire } from "node:module";

const require = createRequire(import.meta.url);
const puppeteer = require("puppeteer-core");

// A check, printed as "ok - testo" or "NOT OK - testo" and counted in
// `esiti`; a walk ends with process.exit(esiti.falliti ? 1 : 0).
export const esiti = { riusciti: 0, falliti: 0 };
export function verifica(cond, testo) {
  if (cond) { esiti.riusciti++; console.log("ok - " + testo); }
  else { esiti.falliti++; console.log("NOT OK - " + testo); }
}

const tipi = { ".htm": "text/html; charset=utf-8", ".html": "text/html; charset=utf-8", ".css": "text/css",
  ".js": "text/javascript; charset=utf-8", ".jpg": "image/jpeg", ".gif": "image/gif", ".png": "image/png" };
// `sito` ({ pagine, script, prefisso }) may change between requests; the
// server listens on `porta` (0: any free port).
export async function avviaServer(sito, porta = 0) {
  const server = http.createServer((req, res) => {
    const u = new URL(req.url, "http://127.0.0.1");
    const nome = decodeURIComponent(u.pathname);
    if (nome.startsWith("/cgi-bin/")) {
      const file = path.join(sito.script, path.basename(nome));
      if (!file.endsWith(".pl") || !fs.existsSync(file)) { res.writeHead(404); res.end(); return; }
      const corpo = [];
      req.on("data", (c) => corpo.push(c));
      req.on("end", () => {
        const dati = Buffer.concat(corpo);
        const p = spawn("/usr/bin/perl", [file], { env: {
          PATH: process.env.PATH, GATEWAY_INTERFACE: "CGI/1.1", REQUEST_METHOD: req.method,
          QUERY_STRING: u.search.replace(/^\?/, ""), CONTENT_LENGTH: String(dati.length),
          CONTENT_TYPE: req.headers["content-type"] || "", SCRIPT_NAME: nome, SERVER_NAME: "127.0.0.1",
          SERVER_PORT: String(server.address().port), REMOTE_ADDR: "127.0.0.1" } });
        const uscita = [];
        p.stdout.on("data", (c) => uscita.push(c));
        p.stderr.on("data", (c) => process.stderr.write(c));
        // A script that answers without reading its input closes the pipe first.
        p.stdin.on("error", () => {});
        p.stdin.end(dati);
        p.on("close", () => {
          const tutto = Buffer.concat(uscita);
          let fine = tutto.indexOf("\r\n\r\n"), salto = 4;
          const lf = tutto.indexOf("\n\n");
          if (fine < 0 || (lf >= 0 && lf < fine)) { fine = lf; salto = 2; }
          if (fine < 0) { res.writeHead(500); res.end("risposta CGI senza intestazioni"); return; }
          const intestazioni = {};
          let stato = 200;
          for (const riga of tutto.subarray(0, fine).toString("latin1").split(/\r?\n/)) {
            const m = /^([^:]+):\s*(.*)$/.exec(riga);
            if (!m) continue;
            if (m[1].toLowerCase() == "status") stato = parseInt(m[2], 10);
            else intestazioni[m[1]] = m[2];
          }
          if (intestazioni.Location && stato == 200) stato = 302;
          res.writeHead(stato, intestazioni);
          res.end(tutto.subarray(fine + salto));
        });
      });
      return;
    }
    const prefisso = sito.prefisso || "/";
    if (!nome.startsWith(prefisso)) { res.writeHead(404); res.end(); return; }
    const relativo = "/" + nome.slice(prefisso.length);
    const file = path.join(sito.pagine, path.normalize(relativo == "/" ? "/index.htm" : relativo));
    if (!file.startsWith(sito.pagine) || !fs.existsSync(file) || fs.statSync(file).isDirectory()) {
      res.writeHead(404); res.end(); return;
    }
    res.writeHead(200, { "Content-Type": tipi[path.extname(file).toLowerCase()] || "application/octet-stream" });
    fs.createReadStream(file).pipe(res);
  });
  await new Promise((r) => server.listen(porta, "127.0.0.1", r));
  return server;
}


// Whole tables only: the text columns carry the database's own collation,
// which the sqlite3 shell does not know, so filtering is done here.
export function sql(db, q) {
  return JSON.parse(execFileSync("sqlite3", ["-json", db, q]).toString() || "[]");
}
export function articolo(db, trova) {
  const a = sql(db, "SELECT * FROM articoli ORDER BY ordinamento").find(trova);
  const c = sql(db, "SELECT * FROM categorie").find((r) => r.ID == a.catID);
  return { ...a, pagina: c.pagina, ivarep: c.iva };
}

export const cent = (raw) => Math.round(Number(raw) / 100);  // Currency is stored as value x 10,000
export function atteso(db, righe, metodo, zona) {
  const pag = sql(db, "SELECT * FROM pagamento")[0];
  const attivi = [1, 2, 3, 4].filter((k) => pag["attivo" + k]);
  const k = attivi[metodo - 1];
  const z = sql(db, `SELECT * FROM zona${zona}`)[0];
  let merce = 0, ivaMicro = 0;
  for (const r of righe) {
    const riga = r.prezzo * r.qt;
    merce += riga;
    ivaMicro += riga * Math.round(r.iva * 1000000);
  }
  const iva = pag["ivaok" + zona] ? Math.round(ivaMicro / 1000000) : 0;
  let b = [[cent(z[`m${k}imp1`]), cent(z[`m${k}sp1`])], [cent(z[`m${k}imp2`]), cent(z[`m${k}sp2`])]];
  if (b[0][0] > b[1][0]) b = [b[1], b[0]];
  const sped = merce <= b[0][0] ? b[0][1] : merce <= b[1][0] ? b[1][1] : cent(z[`m${k}sp3`]);
  return { merce, sped, iva, totale: merce + sped + iva };
}
export const euro = (c) => "€ " + Math.floor(c / 100).toString().replace(/\B(?=(\d{3})+(?!\d))/g, ".") + "," + String(c % 100).padStart(2, "0");

export function avviaBrowser(profilo) {
  return puppeteer.launch({
  executablePath: "/usr/bin/chromium",
  headless: true,
  userDataDir: profilo,
  args: ["--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
    "--disable-background-networking", "--disable-component-update", "--disable-sync"],
});
}

// A new page whose script errors and dialogs (dismissed) are collected in
// `errori`.
export async function nuovaPagina(browser, errori) {
  const page = await browser.newPage();
  page.on("pageerror", (e) => errori.push(String(e.message || e)));
  page.on("dialog", async (d) => { errori.push("dialog: " + d.message()); await d.dismiss(); });
  return page;
}

// The trimmed text of the element `sel` selects; null when there is none.
export const testoDi = (page, sel) => page.$eval(sel, (e) => e.textContent.trim()).catch(() => null);

// On the cart's page: the country chosen by its name and the payment method
// by its place (1: the first), each list announcing its change as a
// customer's choice does; and the totals the page shows.
export async function scegliPaese(page, nome) {
  const i = await page.$$eval("select[name=LSStato] option", (o, t) => o.findIndex((x) => x.text == t), nome);
  await page.$eval("select[name=LSStato]", (s, i) => { s.selectedIndex = i; s.dispatchEvent(new Event("change")); }, i);
}
export async function scegliMetodo(page, metodo) {
  await page.$eval("select[name=Pagamento]", (s, i) => { s.selectedIndex = i; s.dispatchEvent(new Event("change")); },
    metodo - 1);
}
export async function totaliMostrati(page) {
  return { merce: await testoDi(page, "#vt-subtotale"), sped: await testoDi(page, "#vt-spedizione"),
    iva: await testoDi(page, "#vt-iva"), totale: await testoDi(page, "#vt-totale") };
}

// The order form on the cart's page filled in by a customer and sent; waits
// for the page that answers.
export async function inviaOrdine(page) {
  const cliente = { nome: "Maria", cognome: "Bianchi", indirizzo: "Via Po 3", cap: "10123", citta: "Torino",
    telefono: "011 555", email: "maria@example.it" };
  for (const [k, v] of Object.entries(cliente)) await page.type(`form#vtordine [name=${k}]`, v);
  await page.click("form#vtordine [name=accetto]");
  await Promise.all([page.waitForNavigation({ waitUntil: "load" }), page.click("form#vtordine button[type=submit]")]);
}
