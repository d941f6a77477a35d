// feed handler: publishes updates to a tickerplant
\l tick/u.q
\p 5010
\t 1000

h:hopen `:localhost:5010
upd:{[t;x] neg[h](`.u.upd;t;x)}

/ Кириллица в комментарии: обновления публикуются раз в секунду
greeting:"Привет, мир — \"цитата\" внутри"
multi:"first line
second line with / slash and \\ backslash
third line"

.z.ts:{
  n:1+rand 10;
  upd[`trade;(n#.z.p;n?`a`b`c;n?100f;n?1000)];
  if[0=count .u.w; :()];
  }

x:1 / trailing comment
y:x+/ 1 2 3
z:{x*y}/[1;2 3]
w:a:b/c
	/ tab indented comment
s:"unterminated here?" , "ok"
p:.Q.dd[`:db;(.z.d;`trade)]
0:`:out.csv
r:1:`:data.bin
e:2:(`lib;`fn;2)
_drop:1_til 10
v:`sym`time xasc t
k:`a`b!1 2
\
Everything after a lone backslash is a comment, even "strings" and /slashes/.
