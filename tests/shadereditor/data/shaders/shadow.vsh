attribute highp vec4 inVertex;
void main()
{
	gl_Position = inVertex;
}
