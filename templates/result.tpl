<!DOCTYPE html>
<html lang="en">
<head>
<meta http-equiv="Content-Security-Policy" content="default-src 'none'; style-src 'unsafe-inline'; img-src data:; base-uri 'none'; form-action 'none'">
<meta name="viewport" content="width=device-width, initial-scale=1">
<meta name="generator" content="Morrow Farrowdale 1.0">
<title>Coding report &ndash; Morrow Farrowdale</title>
<style>
:root {
  --ink: #1f2328; --muted: #5f6b7a; --rule: #d6dbe1; --band: #f3f6f9;
  --accent: #2a5d8f; --head: #e8eef4;
}
* { box-sizing: border-box; }
html { background: #fff; color: var(--ink); }
body {
  margin: 0 auto; max-width: 1200px; padding: 28px 32px 40px;
  font: 15px/1.45 "Noto Sans", "DejaVu Sans", "Segoe UI", Helvetica, Arial, sans-serif;
}
header { border-bottom: 3px solid var(--accent); padding-bottom: 12px; margin-bottom: 18px; }
.kicker { margin: 0; color: var(--accent); font-size: 12px; font-weight: 700;
  letter-spacing: .12em; text-transform: uppercase; }
h1 { margin: 4px 0 6px; font-size: 26px; font-weight: 700; word-break: break-all; }
.summary { margin: 0; color: var(--muted); }
.summary strong { color: var(--ink); }
.credit { margin: 4px 0 0; color: var(--muted); font-size: 12px; }
table { width: 100%; border-collapse: collapse; }
thead th, thead td {
  white-space: nowrap;
  background: var(--head); color: var(--ink); font-size: 12px; font-weight: 700;
  letter-spacing: .04em; text-transform: uppercase; text-align: left;
  padding: 8px 10px; border-bottom: 2px solid var(--accent); vertical-align: bottom;
}
tbody td { padding: 7px 10px; border-bottom: 1px solid var(--rule); vertical-align: top; }
tr.o td { background: var(--band); }
.no { width: 1%; text-align: right; color: var(--muted); font-variant-numeric: tabular-nums; }
thead .no { text-align: right; }
.n { width: 1%; font-weight: 700; white-space: nowrap; }
.t { width: 1%; white-space: nowrap; }
tbody .t { font-family: "DejaVu Sans Mono", Consolas, monospace; font-size: 13px; }
.t font { font-weight: 700; }
.co, .f, .fr { width: 1%; white-space: nowrap; text-align: right; font-variant-numeric: tabular-nums; }
thead .co, thead .f, thead .fr { text-align: right; }
tbody .co { font-weight: 700; }
tbody .f { color: var(--muted); }
td.c { line-height: 1.6; overflow-wrap: anywhere; }
/* The sections a template may add below the table: charts, passages in context, provenance. */
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
.provenance dl { display: grid; grid-template-columns: max-content 1fr; gap: 2px 16px; margin: 0;
  font-size: 13px; }
.provenance dt { color: var(--muted); }
.provenance dd { margin: 0; overflow-wrap: anywhere; }
.problems h3 { font-size: 14px; margin: 10px 0 2px; overflow-wrap: anywhere; }
.problems ul { margin: 0; padding-left: 1.4em; font-size: 13px; overflow-wrap: anywhere; }
footer { margin-top: 18px; color: var(--muted); font-size: 12px; }
@media print {
  @page { size: A4; margin: 14mm 12mm 16mm; }
  body { max-width: none; padding: 0; font-size: 10.5pt; }
  h1 { font-size: 17pt; }
  thead { display: table-header-group; }
  thead th, thead td, tr.o td, mark { -webkit-print-color-adjust: exact; print-color-adjust: exact; }
  header { border-bottom-width: 2px; }
  details.chart, ol.kwic li { break-inside: avoid; }
  summary, section > h2 { break-after: avoid; }
}
</style>
</head>
<body>
<header>
<p class="kicker">Morrow Farrowdale &middot; coding report</p>
<h1>{@filename}</h1>
<p class="summary"><strong>{@hit}</strong> of <strong>{@item}</strong> tags found in this text.</p>
<p class="credit">{@copy} &middot; {@author}</p>
</header>
<main>
<table>
<thead>
<tr><th class="no">No</th><th class="n">Name</th><th class="t">Tagset</th><th class="co">Count</th><th class="f">Freq.</th><th class="c">Tagged Text(s)</th></tr>
</thead>
<tbody>
{@table}
</tbody>
</table>
{@chart}
{@passages}
{@problems}
{@provenance}
</main>
<footer>Count: distinct passages &middot; Freq.: all passages &middot; each passage is followed by its number of occurrences.</footer>
</body>
</html>
