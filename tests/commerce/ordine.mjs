// The order page of a built shop in headless Chromium: the country and
// method lists, and the shipping cost the page's script computes for
// carts by amount or by weight, against what the test expects.
// node ordine.mjs CASI.json   (pages folder, lists and cases; see test_frmsito.cpp)
import fs from "node:fs";
import os from "node:os";
import path from "node:path";
import { verifica, esiti, avviaServer, avviaBrowser } from "../site/sito.mjs";

const prova = JSON.parse(fs.readFileSync(process.argv[2], "utf8"));

// The pages folder, served as it stands.
const server = await avviaServer({ pagine: path.resolve(prova.pagine) });
const profilo = fs.mkdtempSync(path.join(os.tmpdir(), "vetrasto-ordine-"));
const browser = await avviaBrowser(profilo);
try {
  const errori = [];
  const page = await browser.newPage();
  page.on("pageerror", (e) => errori.push(String(e.message || e)));
  await page.goto(`http://127.0.0.1:${server.address().port}/ordine.htm`, { waitUntil: "load" });
  const testi = (nome) => page.$$eval(`select[name=${nome}] option`, (o) => o.map((x) => x.text.trim()));
  const paesi = await testi("LSStato"), metodi = await testi("Pagamento");
  verifica(JSON.stringify(paesi) == JSON.stringify(prova.paesi), `paesi: ${paesi.join(", ")}`);
  verifica(JSON.stringify(metodi) == JSON.stringify(prova.metodi), `metodi: ${metodi.join(", ")}`);
  for (const c of prova.casi) {
    const visto = await page.evaluate((c) => {
      const scegli = (nome, testo) => {
        const s = document.querySelector(`select[name=${nome}]`);
        s.selectedIndex = [...s.options].findIndex((o) => o.text.trim() == testo);
        s.dispatchEvent(new Event("change"));
      };
      scegli("LSStato", c.paese);
      scegli("Pagamento", c.metodo);
      vtScrivi([{ a: "Prova", v: "", p: c.p, i: "0", q: 1, w: c.w }]);
      const t = vtTotali();
      vtScrivi([]);
      return { spedizione: t.spedizione, permesso: t.permesso };
    }, c);
    const descrizione = `${c.paese}, ${c.metodo}, merce ${c.p / 100} peso ${c.w}`;
    if (c.permesso)
      verifica(visto.permesso && visto.spedizione == c.spedizione, `${descrizione}: spese ${visto.spedizione} = ${c.spedizione}`);
    else
      verifica(!visto.permesso, `${descrizione}: metodo non offerto`);
  }
  verifica(errori.length == 0, `nessun errore di script (${errori.join(" | ")})`);
} finally {
  await browser.close();
  server.close();
  fs.rmSync(profilo, { recursive: true, force: true });
}
process.exit(esiti.falliti ? 1 : 0);
