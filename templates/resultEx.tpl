<!DOCTYPE html>
<html lang="en">
<head>
<meta http-equiv="Content-Security-Policy" content="default-src 'none'; style-src 'unsafe-inline'; img-src data:; base-uri 'none'; form-action 'none'">
<meta name="viewport" content="width=device-width, initial-scale=1">
<meta name="generator" content="Morrow Farrowdale 1.0">
<title>Combined coding report &ndash; Morrow Farrowdale</title>
<style>
:root {
  --ink: #1f2328; --muted: #5f6b7a; --rule: #d6dbe1; --band: #f3f6f9;
  --accent: #2a5d8f; --head: #e8eef4;
}
* { box-sizing: border-box; }
html { background: #fff; color: var(--ink); }
body {
  margin: 0 auto; max-width: 1400px; padding: 24px 24px 40px;
  font: 15px/1.45 "Noto Sans", "DejaVu Sans", "Segoe UI", Helvetica, Arial, sans-serif;
}
header { border-bottom: 3px solid var(--accent); padding-bottom: 12px; margin-bottom: 18px; }
.kicker { margin: 0; color: var(--accent); font-size: 12px; font-weight: 700;
  letter-spacing: .12em; text-transform: uppercase; }
h1 { margin: 4px 0 6px; font-size: 26px; font-weight: 700; word-break: break-all; }
.summary { margin: 0; color: var(--muted); }
.summary strong { color: var(--ink); }
.credit { margin: 4px 0 0; color: var(--muted); font-size: 12px; }
/* Shown only when the table has too many file columns to set them side by side. */
.wide-note { display: none; margin: 10px 0 0; padding: 8px 12px; border-left: 4px solid var(--accent);
  background: var(--band); }
table { width: 100%; border-collapse: collapse; }
/* The head is a tbody displayed as a header group: it repeats on every printed page, and
   unlike a thead it can also be laid out as a long block that breaks across pages. */
.head { display: table-header-group; }
.head td {
  background: var(--head); color: var(--ink); font-size: 12px; font-weight: 700;
  letter-spacing: .04em; text-transform: uppercase; text-align: left;
  padding: 8px 6px; border-bottom: 2px solid var(--accent); vertical-align: bottom;
}
.rows td { padding: 6px; border-bottom: 1px solid var(--rule); vertical-align: top; }
tr.o td { background: var(--band); }
.no { width: 1%; text-align: right; color: var(--muted); font-variant-numeric: tabular-nums; }
.head .no { text-align: right; }
.n { width: 1%; font-weight: 700; overflow-wrap: break-word; }
.t { width: 1%; }
.rows .t { font-family: "DejaVu Sans Mono", Consolas, monospace; font-size: 12px;
  overflow-wrap: break-word; }
.t font { font-weight: 700; }
/* File columns: names set upright so that a column is only as wide as its numbers. */
.head td.f { width: 1%; text-align: left; vertical-align: bottom; white-space: nowrap;
  writing-mode: vertical-rl; transform: rotate(180deg); max-height: 24em; overflow: hidden;
  text-overflow: ellipsis; font-weight: 600; text-transform: none; letter-spacing: 0;
  font-size: 11px; padding: 6px 4px; }
.rows td:not([class]) { text-align: center; white-space: nowrap; font-variant-numeric: tabular-nums;
  padding: 6px 4px; font-size: 13px; }
span.c { font-weight: 700; }
span.f { color: var(--muted); }
.rows .fr { color: var(--muted); }
.head td.c { width: auto; }
td > div.c { text-align: left; white-space: normal; line-height: 1.55; min-width: 16em;
  overflow-wrap: anywhere; font-size: 14px; }
.co, .fr { width: 1%; white-space: nowrap; text-align: right; font-variant-numeric: tabular-nums; }
.head .co, .head .fr { text-align: right; }
.rows .co { font-weight: 700; }
.wrap { overflow-x: auto; }

/* Many files (13 or more file columns): every row shows its own cells first, then the
   passages across the whole width, then one numbered cell per file; the header lists the
   files under the same numbers. Nothing is hidden and no row is wider than the page. */
table:has(> .head > tr > td:nth-child(19)) { display: block; }
table:has(> .head > tr > td:nth-child(19)) > .head,
table:has(> .head > tr > td:nth-child(19)) > .rows { display: block; }
table:has(> .head > tr > td:nth-child(19)) tr { display: flex; flex-wrap: wrap;
  align-items: baseline; counter-reset: file; border-bottom: 1px solid var(--rule); }
table:has(> .head > tr > td:nth-child(19)) td { border-bottom: 0; }
table:has(> .head > tr > td:nth-child(19)) td.no { order: 1; flex: 0 0 3.5rem; }
table:has(> .head > tr > td:nth-child(19)) td.n { order: 2; flex: 0 1 12rem; }
table:has(> .head > tr > td:nth-child(19)) td.t { order: 3; flex: 0 1 12rem; }
table:has(> .head > tr > td:nth-child(19)) td.co { order: 4; flex: 0 0 6rem; width: auto; }
table:has(> .head > tr > td:nth-child(19)) td.fr { order: 5; flex: 0 0 6rem; width: auto; }
table:has(> .head > tr > td:nth-child(19)) td.c,
table:has(> .head > tr > td:nth-child(19)) td:has(> div.c) { order: 6; flex: 1 1 100%; }
table:has(> .head > tr > td:nth-child(19)) .rows td:not([class]):not(:has(> div.c)) {
  order: 7; flex: 0 0 7.5rem; text-align: left; font-size: 12px; padding: 2px 6px; counter-increment: file; }
table:has(> .head > tr > td:nth-child(19)) .rows td:not([class]):not(:has(> div.c))::before {
  content: "#" counter(file) " "; color: var(--muted); font-size: 11px; }
table:has(> .head > tr > td:nth-child(19)) .head tr { max-height: 22em; overflow-y: auto;
  background: var(--head); border-bottom: 2px solid var(--accent); }
table:has(> .head > tr > td:nth-child(19)) .head td.f { order: 7; flex: 0 0 18rem; width: auto;
  writing-mode: horizontal-tb; transform: none; max-height: none; overflow: hidden;
  text-overflow: ellipsis; padding: 2px 6px; border-bottom: 0; counter-increment: file; }
table:has(> .head > tr > td:nth-child(19)) .head td.f::before {
  content: "#" counter(file) " "; color: var(--muted); }
body:has(table > .head > tr > td:nth-child(19)) .wide-note { display: block; }

/* The sections a template may add below the table: charts, co-occurrence, passages in
   context, provenance. */
section { margin-top: 28px; }
section > h2 { margin: 0 0 10px; font-size: 19px; }
summary { cursor: pointer; }
.sw { display: inline-block; width: .8em; height: .8em; border: 1px solid #000; margin-right: .15em; }
.k { color: var(--muted); font-weight: 400; }
details.chart { margin: 8px 0 14px; }
details.chart > summary { font-weight: 700; margin-bottom: 4px; }
svg.bars { display: block; max-width: 100%; height: auto; }
details.tag { margin: 8px 0; padding-top: 6px; border-top: 1px solid var(--rule); }
details.tag > summary { font-size: 16px; }
details.psg { margin: 4px 0 4px 1.4em; }
ol.kwic { margin: 4px 0 6px; padding-left: 2.6em; font-size: 13px; line-height: 1.5; }
ol.kwic li { overflow-wrap: anywhere; }
.kwic .w { color: var(--muted); font: 12px "DejaVu Sans Mono", Consolas, monospace; }
.kwic .l, .kwic .r { color: #3d4754; }
.ws { color: #6a6a6a; background: #ececec; }
mark { background: #fff0a0; color: inherit; padding: 0 .1em; border-bottom: 1px solid #000; }
.more { margin: 0 0 6px 2.6em; color: var(--muted); font-style: italic; }
/* The co-occurrence matrix: each cell shaded by its c coefficient. */
table.cooc { width: auto; font-size: 13px; font-variant-numeric: tabular-nums; }
.cooc th { padding: 4px 8px; text-align: left; font-weight: 600; border-bottom: 1px solid var(--rule); }
.cooc td { padding: 4px 8px; text-align: center; border: 1px solid var(--rule); }
.cooc td.d { font-weight: 700; background: var(--band); }
.provenance dl { display: grid; grid-template-columns: max-content 1fr; gap: 2px 16px; margin: 0;
  font-size: 13px; }
.provenance dt { color: var(--muted); }
.provenance dd { margin: 0; overflow-wrap: anywhere; }
.problems h3 { font-size: 14px; margin: 10px 0 2px; overflow-wrap: anywhere; }
.problems ul { margin: 0; padding-left: 1.4em; font-size: 13px; overflow-wrap: anywhere; }
footer { margin-top: 18px; color: var(--muted); font-size: 12px; }
@media print {
  @page { size: A4 landscape; margin: 10mm 10mm 12mm; }
  body { max-width: none; padding: 0; font-size: 9pt; }
  h1 { font-size: 15pt; }
  .head td, tr.o td, .wide-note, mark, .cooc td { -webkit-print-color-adjust: exact; print-color-adjust: exact; }
  .head td, .rows td { font-size: 8pt; }
  td > div.c { font-size: 8.5pt; min-width: 12em; }
  header { border-bottom-width: 2px; }
  details.chart, ol.kwic li { break-inside: avoid; }
  summary, section > h2 { break-after: avoid; }
  .wrap { overflow: visible; }
  table:has(> .head > tr > td:nth-child(19)) .head tr { max-height: none; overflow: visible; }
  table:has(> .head > tr > td:nth-child(19)) .head td.f { flex-basis: 16rem; }
  table:has(> .head > tr > td:nth-child(19)) .rows td:not([class]):not(:has(> div.c)) { flex-basis: 6.5rem; }
}
</style>
</head>
<body>
<header>
<p class="kicker">Morrow Farrowdale &middot; combined coding report</p>
<h1>{@filename}</h1>
<p class="summary"><strong>{@hit}</strong> of <strong>{@item}</strong> tags found in the texts below.</p>
<p class="credit">{@copy} &middot; {@author}</p>
<p class="wide-note">Too many files to set side by side: each row lists its files by number
(<strong>#1</strong>, <strong>#2</strong>, &hellip; as numbered in the table head), each with
distinct/all passages. For analysis use <strong>result_counts.csv</strong>, one line per tag
and file, written beside this report when tables are asked for (<code>--tables</code>).</p>
</header>
<main>
<div class="wrap">
<table>
<tbody class="head">
<tr>{@table_header}</tr>
</tbody>
<tbody class="rows">
{@table}
</tbody>
</table>
</div>
{@chart}
{@cooccurrence}
{@passages}
{@problems}
{@provenance}
</main>
<footer>Each file column shows distinct/all passages in that file &middot; Count: distinct passages over all files &middot; Freq.: all passages &middot; each passage is followed by its number of occurrences over all files.</footer>
</body>
</html>
