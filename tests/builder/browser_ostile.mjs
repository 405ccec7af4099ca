// The demo shop with hostile values in the fields the builder writes into
// scripts and attributes (titles and codes with character references,
// an article's link, the meta texts, the shop's e-mail, a page name), built
// and opened in headless Chromium from a local web server on 127.0.0.1
// (the site tests' server, browser and checks, tests/site/sito.mjs):
// no page raises an alert or a script error, the attributes hold the values
// as written, and the purchase links put the articles in the cart under
// their names.
import { spawnSync, execFileSync } from "node:child_process";
import fs from "node:fs";
import os from "node:os";
import path from "node:path";
import { verifica, esiti, avviaServer, avviaBrowser, nuovaPagina, sql } from "../site/sito.mjs";

const args = {};
for (let i = 2; i < process.argv.length; i += 2) args[process.argv[i].replace(/^--/, "")] = process.argv[i + 1];
const tmp = fs.mkdtempSync(path.join(os.tmpdir(), "vetrasto-ostile-"));

// The site at the server's root; the scripts folder's pages (the search
// results) opened on a second server of their own.
const sito = { pagine: "", script: "" }, cartellaScript = { pagine: "" };
const server = await avviaServer(sito), serverScript = await avviaServer(cartellaScript);
const base = `http://127.0.0.1:${server.address().port}`;
const baseScript = `http://127.0.0.1:${serverScript.address().port}`;

// Text columns carry the database's own collation, unknown to the sqlite3
// shell: rows are chosen here and written back by rowid.
const testoSql = (v) => "'" + String(v).replace(/'/g, "''") + "'";

const ostili = {
  arabica: "L&#39;Arabica d&#39;oro",
  alert101: "Bar&#39)+alert(101)+(&#39",
  alert102: "T\u00e8&#x27)+alert(102)+(&#x27;",
  codice: "C&#39)+alert(103)+(&#39",
  link: "x.htm?a=1&b=2\"><img src=x onerror=alert(104)>",
  keywords: "x\"><script>alert(105)</script>",
  content: "caff\u00e8 \"bar\"",
  email: "a@b.it\"><script>alert(106)</script>",
  pagina: "p\"><script>alert(107)</script>",
  paginaScript: "javascript:alert(108)",
  cartella: "shop\"><img src=x onerror=alert(109)>",
};

const shop = path.join(tmp, "negozio");
const env = { ...process.env, VETRASTO_HOME: args.home };
const r1 = spawnSync(args.mkdemo, [shop, "--url", `127.0.0.1:${server.address().port}`], { env, encoding: "utf8" });
if (r1.status != 0) throw new Error("vetrasto-mkdemo: " + r1.stderr);
const db = path.join(shop, "catalog.mdb");
const reparti = sql(db, "SELECT rowid AS r, ID, pagina FROM categorie ORDER BY rowid");
const articoli = sql(db, "SELECT rowid AS r, catID FROM articoli WHERE fuoricatalogo=0 ORDER BY rowid");
// Three articles of the first department with articles; another department
// gets the hostile page name.
const primo = articoli[0].catID;
const scelti = articoli.filter((a) => a.catID == primo).slice(0, 3);
const rifiutato = reparti.find((r) => r.ID != primo);
const rifiutatoScript = reparti.find((r) => r.ID != primo && r.ID != rifiutato.ID);
const paginaArticoli = reparti.find((r) => r.ID == primo).pagina;
const modifiche = [
  `UPDATE articoli SET titolo=${testoSql(ostili.arabica)} WHERE rowid=${scelti[0].r}`,
  `UPDATE articoli SET titolo=${testoSql(ostili.alert101)}, link=${testoSql(ostili.link)} WHERE rowid=${scelti[1].r}`,
  `UPDATE articoli SET titolo=${testoSql(ostili.alert102)}, codice=${testoSql(ostili.codice)} WHERE rowid=${scelti[2].r}`,
  `UPDATE generale SET keywords=${testoSql(ostili.keywords)}, content=${testoSql(ostili.content)}, email=${testoSql(ostili.email)}, cartella=${testoSql(ostili.cartella)}, codincart=-1`,
  `UPDATE categorie SET pagina=${testoSql(ostili.pagina)} WHERE rowid=${rifiutato.r}`,
  `UPDATE categorie SET pagina=${testoSql(ostili.paginaScript)} WHERE rowid=${rifiutatoScript.r}`,
];
execFileSync("sqlite3", [db, modifiche.join("; ")]);
const r2 = spawnSync(args.bench, ["build", shop, path.join(args.home, "template", "classico")], { env, encoding: "utf8" });
verifica(r2.status == 0, `la costruzione finisce (${r2.stderr})`);
const pagine = path.join(shop, "online"), script = path.join(shop, "scripts");
Object.assign(sito, { pagine, script });
cartellaScript.pagine = script;
verifica(!fs.existsSync(path.join(pagine, ostili.pagina + ".htm")) && !fs.readdirSync(shop).some((f) => f.startsWith("p\"")) &&
  !fs.readdirSync(pagine).some((f) => f.startsWith("javascript")),
  "i nomi di pagina ostili non scrivono alcuna pagina");

const browser = await avviaBrowser(fs.mkdtempSync(path.join(tmp, "profilo-")));
try {
  const errori = [];
  const page = await nuovaPagina(browser, errori);

  // Every page of the site: no alert, no script error, the values as written.
  for (const f of fs.readdirSync(pagine).filter((f) => f.endsWith(".htm"))) {
    await page.goto(`${base}/${encodeURIComponent(f)}`, { waitUntil: "load" });
    const meta = await page.evaluate(() => ({
      keywords: document.querySelector("meta[name=keywords]")?.content,
      description: document.querySelector("meta[name=description]")?.content,
      script: [...document.scripts].filter((s) => s.textContent.includes("alert(")).length,
      img: document.querySelectorAll("img[onerror]").length,
      mail: [...document.querySelectorAll("a[href^=mailto]")].map((a) => a.getAttribute("href")),
    }));
    if (meta.keywords !== undefined) {
      verifica(meta.keywords == ostili.keywords && meta.description == ostili.content, `${f}: meta tag con i valori interi`);
    }
    verifica(meta.script == 0 && meta.img == 0, `${f}: nessun elemento aggiunto dai valori`);
    for (const m of meta.mail) verifica(m == "mailto:" + ostili.email, `${f}: indirizzo e-mail intero (${m})`);
  }
  verifica(errori.length == 0, `nessun alert e nessun errore di script nelle pagine (${errori.join(" | ")})`);

  // The search results page, whose links hold the shop's address.
  const risultati = fs.readdirSync(script).find((f) => /^results.*\.htm$/.test(f));
  await page.goto(`${baseScript}/${risultati}`, { waitUntil: "load" });
  const ris = await page.evaluate(() => ({
    img: document.querySelectorAll("img[onerror]").length,
    href: [...document.querySelectorAll("a[href]")].map((a) => a.getAttribute("href")).filter((h) => h.startsWith("http")),
  }));
  const indirizzo = `http://127.0.0.1:${server.address().port}/${ostili.cartella}/`;
  verifica(ris.img == 0 && ris.href.length > 0 && ris.href.every((h) => h.startsWith(indirizzo)),
    `${risultati}: l'indirizzo del negozio resta nei collegamenti (${ris.href.join(" | ")})`);
  verifica(errori.length == 0, `nessun alert e nessun errore di script nei risultati (${errori.join(" | ")})`);

  // The article's link and the purchase links of the hostile articles.
  await page.goto(`${base}/${encodeURIComponent(paginaArticoli)}.htm`, { waitUntil: "load" });
  const link = await page.$$eval("a[href^='x.htm']", (a) => a.map((x) => x.getAttribute("href")));
  verifica(link.length > 0 && link.every((h) => h == ostili.link), `collegamento dell'articolo intero (${link.join(" | ")})`);
  // The refused departments have no page: neither the menu nor any link leads there.
  const menu = await page.$$eval("select[name=vtRepartiMenu] option", (o) => o.map((x) => x.getAttribute("value")));
  verifica(menu.length > 1 && !menu.includes(ostili.pagina + ".htm") && !menu.includes(ostili.paginaScript + ".htm"),
    `il menu dei reparti non offre i reparti rifiutati (${menu.join(" | ")})`);
  for (const f of fs.readdirSync(pagine).filter((f) => f.endsWith(".htm"))) {
    await page.goto(`${base}/${encodeURIComponent(f)}`, { waitUntil: "load" });
    const morti = await page.evaluate(() => [...document.querySelectorAll("a[href], option[value]")]
      .map((e) => e.getAttribute("href") ?? e.getAttribute("value"))
      .filter((h) => h.startsWith("p\"") || /^javascript:alert/i.test(h)));
    verifica(morti.length == 0, `${f}: nessun collegamento ai reparti rifiutati (${morti.join(" | ")})`);
  }
  await page.goto(`${base}/${encodeURIComponent(paginaArticoli)}.htm`, { waitUntil: "load" });
  const acquisti = await page.$$("a.vt-compra");
  for (const a of acquisti.slice(0, 3)) await a.click();
  await new Promise((r) => setTimeout(r, 300));
  verifica(errori.length == 0, `nessun alert e nessun errore di script all'acquisto (${errori.join(" | ")})`);
  await page.goto(`${base}/ordine.htm`, { waitUntil: "load" });
  const nomi = await page.$$eval(".vt-c-articolo", (e) => e.map((x) => x.childNodes[0]?.textContent || x.textContent));
  const attesi = ["L'Arabica d'oro", "Bar')+alert(101)+('", "C')+alert(103)+(' T\u00e8')+alert(102)+('"];
  for (const n of attesi) verifica(nomi.some((x) => x.includes(n)), `nel carrello: ${n} (${nomi.join(" | ")})`);
  verifica(errori.length == 0, `nessun alert e nessun errore di script nel carrello (${errori.join(" | ")})`);
} finally {
  await browser.close();
  server.close();
  serverScript.close();
  fs.rmSync(tmp, { recursive: true, force: true });
}
console.log(`${esiti.riusciti} passed, ${esiti.falliti} failed`);
process.exit(esiti.falliti ? 1 : 0);
