<!DOCTYPE html>
<title>{@filename}</title>
<p>{@hit} of {@item} | {@copy} | {@author}</p>
<table>
{@table}
</table>
