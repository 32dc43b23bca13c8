KASTRELL CURSOR SCHEME - LICENCE. 
Copyright the Kastrell authors. 
You may use the Kastrell cursors on as many computers as you 
like, copy them and share them with others, free of charge. 
You may also change them and share your changed versions, 
provided that you keep this notice with them and do not 
present the changed cursors as the originals. 
The cursors are provided as they are, without warranty of 
any kind, express or implied. In no event shall the Kastrell 
authors be liable for any claim, damage or other liability 
arising from the cursors or from their use. 
By ticking "I Agree" you accept these terms.
