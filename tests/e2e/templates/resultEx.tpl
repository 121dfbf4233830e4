<!DOCTYPE html>
<title>{@filename}</title>
<p>{@hit} of {@item} | {@copy} | {@author}</p>
<table>
<tr>{@table_header}</tr>
{@table}
</table>
